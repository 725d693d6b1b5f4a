#!/usr/bin/env python3
"""What --jobs gains: `mdhost check` of COUNT copies of one plugin with
--jobs 2 against --jobs 1, in interleaved rounds. Prints medians (p10, p90)
and the median of the rounds' ratios (the goal on two processors: at most
0.6).

  jobs_benchmark.py PLUGIN COUNT ROUNDS [--windows-paths] -- MDHOST..."""
import shutil
import statistics
import sys
import tempfile

from interleaved import percentile, plugin_copies, read_arguments, time_rounds, windows_path


def main(argv):
    plugin, count, rounds, wine, mdhost = read_arguments(argv)
    folder = tempfile.mkdtemp(prefix="mdhost-jobs-")
    try:
        files = [windows_path(p) if wine else p for p in plugin_copies(plugin, count, folder)]
        commands = {jobs: mdhost + ["check", "--jobs", str(jobs)] + files for jobs in (1, 2)}

        def check(jobs, run):
            if run.returncode != 0 or (b"%d plugins: %d passed" % (count, count)) not in run.stdout:
                raise SystemExit("--jobs %d failed: %s" % (jobs, run.stdout.decode() + run.stderr.decode()))

        times = time_rounds(commands, rounds, check)
        print("check of %d plugins, %d interleaved rounds; medians (p10, p90)" % (count, rounds))
        for jobs in sorted(times):
            t = times[jobs]
            print("  --jobs %d %8.3f s  (%.3f, %.3f)" % (jobs, statistics.median(t), percentile(t, 0.1),
                                                        percentile(t, 0.9)))
        ratios = [two / one for two, one in zip(times[2], times[1])]
        print("  --jobs 2 / --jobs 1: %.3f (p10 %.3f, p90 %.3f)" % (
            statistics.median(ratios), percentile(ratios, 0.1), percentile(ratios, 0.9)))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1:])
