"""What the benchmark scripts share: percentiles, commands timed in
interleaved rounds (the order turned each round, so that drift in the
machine's speed falls on all alike), and the copies of a plugin they time
mdhost on, named by one command line."""
import shutil
import subprocess
import time


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[int(fraction * (len(ordered) - 1) + 0.5)]


def time_rounds(commands, rounds, check):
    """Seconds per run of each command (a dict of name: argv), `rounds` runs
    each; `check(name, run)` raises for a run that went wrong."""
    times = {name: [] for name in commands}
    for r in range(rounds):
        for name in (sorted(commands) if r % 2 else sorted(commands, reverse=True)):
            start = time.perf_counter()
            run = subprocess.run(commands[name], capture_output=True)
            times[name].append(time.perf_counter() - start)
            check(name, run)
    return times


def plugin_copies(plugin, count, folder):
    """COUNT copies of PLUGIN in FOLDER (plugin_000.dll...), their paths."""
    suffix = plugin[plugin.rfind("."):]
    paths = ["%s/plugin_%03d%s" % (folder, i, suffix) for i in range(count)]
    for path in paths:
        shutil.copy(plugin, path)
    return paths


def windows_path(path):
    """PATH as a Windows program under Wine names it."""
    return subprocess.run(["winepath", "-w", path], capture_output=True, text=True).stdout.strip()


def read_arguments(argv):
    """PLUGIN COUNT ROUNDS [--windows-paths] -- MDHOST...: the plugin, the
    count, the rounds, whether mdhost runs under Wine, and mdhost's argv."""
    split = argv.index("--")
    return argv[0], int(argv[1]), int(argv[2]), "--windows-paths" in argv[3:split], argv[split + 1:]
