"""What the benchmark scripts share: percentiles, and commands timed in
interleaved rounds (the order turned each round, so that drift in the
machine's speed falls on all alike)."""
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
