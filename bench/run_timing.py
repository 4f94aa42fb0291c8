"""What the publish benchmarks share: a command timed end to end, with the
1-minute load average just before and just after it."""

import subprocess
import sys
import time


def load():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def timed(args, env, what):
    """(seconds, load before, load after); a failed command ends the benchmark."""
    before = load()
    t = time.perf_counter()
    r = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    seconds = time.perf_counter() - t
    if r.returncode != 0:
        sys.exit("%s: %s failed (exit %d):\n%s%s"
                 % (what, args[0], r.returncode, r.stdout[-2000:], r.stderr[-2000:]))
    return seconds, before, load()
