"""What the publish benchmarks share: the built program and the site maker, a
home of their own, and a command timed end to end with the 1-minute load
average just before and just after it."""

import os
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


def built(build, what):
    """(the program, the benchmark site maker) in the build folder; ends the
    benchmark when either is not built."""
    program = os.path.join(build, "bin", "wobbin-express")
    site_maker = os.path.join(build, "bench", "publish_site")
    for p in (program, site_maker):
        if not os.access(p, os.X_OK):
            sys.exit("%s: build %s first" % (what, p))
    return program, site_maker


def home_env(home):
    """The environment of a program run whose settings and data live in home."""
    return dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                XDG_DATA_HOME=os.path.join(home, ".local", "share"), QT_QPA_PLATFORM="offscreen")
