#!/usr/bin/python3
"""Times `wobbin-express --publish` against the curl command-line tool sending
the same files over one connection, to a loopback FTP server (pyftpdlib):

  many   the page and 199 pictures of 50 KB (200 files)
  large  one picture of 100 MB (with the page and the logo button)

Prints the median of several runs of each and the ratios:
  many:  time(--publish) / time(curl)                    goal <= 1.1
  large: throughput(--publish) / throughput(curl)        goal >= 0.9
both end to end, and with each program's start-up taken off (the program's
start-up is timed as a --publish that stops at an unknown server name, curl's
as curl --version). For the large file it also prints the rate at which the
100 MB picture itself went up: the time of the large upload less that of the
same page with a 50 KB picture (start-up, log-on, the page and the folders
are in both), so that the fixed costs of a run, which the many-files figure
measures, do not count as transfer speed.

The machine may be shared: run it when the load is low (uptime), and compare
figures taken at similar loads. It prints the load average before and after.

Usage: bench/publish_vs_curl.py [BUILD_DIR] [RUNS]
(build the wobbin-express and publish_site targets first)
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SRC = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(SRC, "build")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 15
PROGRAM = os.path.join(BUILD, "bin", "wobbin-express")
SITE = os.path.join(BUILD, "bench", "publish_site")


def start_server(root):
    p = subprocess.Popen(["/usr/bin/python3", os.path.join(SRC, "tests", "support", "ftp_server.py"),
                          "--root", root, "--user", "user", "--password", "secret"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = p.stdout.readline()
    if not line.startswith("PORT "):
        p.kill()
        sys.exit("the FTP server did not start")
    return p, int(line.split()[1])


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def empty(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def timed(args, env, expect=0):
    t = time.perf_counter()
    r = subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    elapsed = time.perf_counter() - t
    if r.returncode != expect:
        sys.exit("%s failed (%d): %s" % (args[0], r.returncode, r.stderr))
    return elapsed


def scenario(work, env, port, root, name, pictures, size):
    data = os.path.join(work, name)
    subprocess.run([SITE, data, str(pictures), str(size), str(port)], env=env, check=True)
    page = os.path.join(data, "save", "Bench.qze")
    html = os.path.join(work, name + "-Bench.html")
    subprocess.run([PROGRAM, "--export", page, "--data-dir", data, "--out", html], env=env, check=True)

    # curl: the same files, one command, one connection.
    graphics = os.path.join(data, "HTMLFiles", "graphics")
    files = sorted(os.listdir(graphics))
    config = os.path.join(work, name + ".curlrc")
    with open(config, "w") as f:
        f.write('user = "user:secret"\nftp-create-dirs\nsilent\nshow-error\n')
        f.write('upload-file = "%s"\nurl = "ftp://127.0.0.1:%d/www/Bench.html;type=a"\n' % (html, port))
        for g in files:
            f.write('upload-file = "%s"\nurl = "ftp://127.0.0.1:%d/www/graphics/%s"\n'
                    % (os.path.join(graphics, g), port, g))
    count = 1 + len(files)
    total = os.path.getsize(html) + sum(os.path.getsize(os.path.join(graphics, g)) for g in files)

    publish, curl, publish_start, curl_start = [], [], [], []
    for _ in range(RUNS):
        publish_start.append(timed([PROGRAM, "--publish", page, "--server", "No such server", "--data-dir", data],
                                   env, expect=1))
        curl_start.append(timed(["curl", "--version"], env))
        empty(root)
        publish.append(timed([PROGRAM, "--publish", page, "--server", "Bench", "--data-dir", data], env))
        sent = sum(len(fs) for _, _, fs in os.walk(root))
        if sent != count:
            sys.exit("--publish left %d files, not %d" % (sent, count))
        empty(root)
        curl.append(timed(["curl", "-K", config], env))
    m = statistics.median
    return count, total, m(publish), m(curl), m(publish) - m(publish_start), m(curl) - m(curl_start)


def main():
    for f in (PROGRAM, SITE):
        if not os.path.exists(f):
            sys.exit("missing %s: build the wobbin-express and publish_site targets" % f)
    work = tempfile.mkdtemp(prefix="wbx-bench-")
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), HOME=os.path.join(work, "home"),
               QT_QPA_PLATFORM="offscreen")
    root = os.path.join(work, "root")
    empty(root)
    server, port = start_server(root)
    try:
        print("median of %d runs; load average before: %s" % (RUNS, load()))
        n, size, p, c, pt, ct = scenario(work, env, port, root, "many", 198, 50 * 1024)
        print("many files: %d files, %.1f MB" % (n, size / 1e6))
        print("  end to end:      --publish %.3f s   curl %.3f s   time ratio %.2f (goal <= 1.10)" % (p, c, p / c))
        print("  without start-up: --publish %.3f s   curl %.3f s   time ratio %.2f" % (pt, ct, pt / ct))
        n, size, p, c, pt, ct = scenario(work, env, port, root, "large", 1, 100 * 1024 * 1024)
        print("large file: %d files, %.1f MB" % (n, size / 1e6))
        print("  end to end:      --publish %.3f s (%.0f MB/s)   curl %.3f s (%.0f MB/s)   throughput ratio %.2f (goal >= 0.90)"
              % (p, size / p / 1e6, c, size / c / 1e6, c / p))
        print("  without start-up: --publish %.3f s (%.0f MB/s)   curl %.3f s (%.0f MB/s)   throughput ratio %.2f"
              % (pt, size / pt / 1e6, ct, size / ct / 1e6, ct / pt))
        _, small, sp, sc, _, _ = scenario(work, env, port, root, "small", 1, 50 * 1024)
        moved = size - small
        mp, mc = p - sp, c - sc
        print("  the picture alone: --publish %.3f s (%.0f MB/s)   curl %.3f s (%.0f MB/s)   throughput ratio %.2f"
              % (mp, moved / mp / 1e6, mc, moved / mc / 1e6, mc / mp))
        print("load average after: %s" % load())
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
