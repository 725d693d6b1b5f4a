#!/usr/bin/env python3
"""What examining plugins in a worker process costs: `mdhost scan` over a
folder of COUNT copies of one well-behaved plugin, against the same reads
done in mdhost's own process (--in-process). Prints medians (p10, p90) of
interleaved samples and the median of the rounds' ratios.

  isolation_benchmark.py PLUGIN COUNT ROUNDS [--windows-paths] -- MDHOST...
With --windows-paths (mdhost under Wine), the folder is named by winepath."""
import shutil
import statistics
import sys
import tempfile

from interleaved import percentile, plugin_copies, read_arguments, time_rounds, windows_path


def main(argv):
    plugin, count, rounds, wine, mdhost = read_arguments(argv)
    folder = tempfile.mkdtemp(prefix="mdhost-scan-")
    try:
        plugin_copies(plugin, count, folder)
        target = windows_path(folder) if wine else folder
        commands = {"worker": mdhost + ["scan", target], "in-process": mdhost + ["scan", "--in-process", target]}

        def check(name, run):
            if run.returncode != 0 or (b"%d plugin module" % count) not in run.stdout:
                raise SystemExit("%s failed: %s" % (name, run.stdout.decode() + run.stderr.decode()))

        times = time_rounds(commands, rounds, check)
        print("scan of %d plugins, %d interleaved rounds; medians (p10, p90)" % (count, rounds))
        for name in sorted(commands):
            t = times[name]
            print("  %-12s %8.3f s  (%.3f, %.3f)" % (name, statistics.median(t), percentile(t, 0.1), percentile(t, 0.9)))
        ratios = [w / p for w, p in zip(times["worker"], times["in-process"])]
        print("  worker / in-process: %.3f (p10 %.3f, p90 %.3f; ratio of medians %.3f)" % (
            statistics.median(ratios), percentile(ratios, 0.1), percentile(ratios, 0.9),
            statistics.median(times["worker"]) / statistics.median(times["in-process"])))
        print("  seconds per plugin, in a worker: %.4f" % (statistics.median(times["worker"]) / count))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1:])
