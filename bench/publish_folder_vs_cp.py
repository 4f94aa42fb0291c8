#!/usr/bin/python3
"""Times `wobbin-express --publish` into a folder against `cp -r` of the same
files, and prints the figures and their ratio.
  bench/publish_folder_vs_cp.py                 the page and 200 pictures of 50 KB
  bench/publish_folder_vs_cp.py --runs 3 --dest /media/me/STICK/bench
Build the wobbin-express and publish_site targets first.
Cases, each the median of RUNS interleaved runs (program, cp, program, cp...),
end to end (start-up included):
  all      every file into an emptied folder (the program's record of sent
           files forgotten: a first upload) against `cp -r` of the HTML
           folder's files into another emptied folder. The program writes
           each file through its checked writer (the data on the disk before
           the rename), which cp does not.
  same     nothing changed since the last upload: the program reads the
           folder's listing and sends nothing; against `cp -r -u`.
The destination folders lie below --dest (default: a folder under /tmp, on
whatever file system /tmp is); the program's own folders and the site below
--work (default: a temporary folder). After each run of the program every
file that arrived is compared byte for byte with its original.
Each run lists its time and the 1-minute load average before and after it:
the machine may be shared, so run it when `uptime` is low.
"""
import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

import run_timing

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(args, env):
    return run_timing.timed(args, env, "publish folder benchmark")


def empty(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def main():
    ap = argparse.ArgumentParser(description="--publish into a folder against cp -r")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--pictures", type=int, default=199)
    ap.add_argument("--size", type=int, default=50 * 1024)
    ap.add_argument("--dest", default=None)
    ap.add_argument("--work", default=None)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    a = ap.parse_args()
    program, site_maker = run_timing.built(a.build, "publish folder benchmark")
    work = a.work or tempfile.mkdtemp(prefix="wbx-folder-bench-")
    dest = a.dest or tempfile.mkdtemp(prefix="wbx-folder-dest-")
    mine, theirs = os.path.join(dest, "program"), os.path.join(dest, "cp")
    home = os.path.join(work, "home")
    env = run_timing.home_env(home)
    data = os.path.join(work, "data")
    subprocess.run([site_maker, data, str(a.pictures), str(a.size), "0", "Protocol=Folder",
                    "Directory=" + mine, "Address=", "UserName=", "Password="], env=env, check=True)
    page = os.path.join(data, "save", "Bench.qze")
    html = os.path.join(data, "HTMLFiles")
    sent = os.path.join(env["XDG_DATA_HOME"], "Quorvex", "Wobbin Express", "sent")
    publish = [program, "--publish", page, "--server", "Bench", "--data-dir", data]

    def check():
        graphics = os.listdir(os.path.join(html, "graphics"))
        for name in graphics:
            if not filecmp.cmp(os.path.join(html, "graphics", name), os.path.join(mine, "graphics", name), False):
                sys.exit("publish folder benchmark: graphics/%s did not arrive whole" % name)
        if not os.path.exists(os.path.join(mine, "Bench.html")):
            sys.exit("publish folder benchmark: the page did not arrive")
        return len(graphics) + 1

    files = 0
    rows = {"all": ([], []), "same": ([], [])}
    for run in range(a.runs):
        empty(mine)
        empty(theirs)
        shutil.rmtree(sent, ignore_errors=True)
        rows["all"][0].append(timed(publish, env))
        files = check()
        rows["all"][1].append(timed(["cp", "-r", html + "/.", theirs], env))
        rows["same"][0].append(timed(publish, env))
        rows["same"][1].append(timed(["cp", "-r", "-u", html + "/.", theirs], env))

    print("publish into a folder: %d files (%d pictures of %d bytes and the page), %d runs"
          % (files, files - 1, a.size, a.runs))
    print("destination %s (%s)" % (dest, subprocess.run(["stat", "-f", "-c", "%T", dest], stdout=subprocess.PIPE,
                                                          text=True).stdout.strip()))
    for case, (program_runs, cp_runs) in rows.items():
        p = statistics.median(r[0] for r in program_runs)
        c = statistics.median(r[0] for r in cp_runs)
        print("  %-5s --publish %7.3f s   cp %7.3f s   ratio %.2f" % (case, p, c, p / c if c else float("nan")))
        for (ps, pb, pa), (cs, cb, ca) in zip(program_runs, cp_runs):
            print("          %7.3f s [%.2f %.2f]   %7.3f s [%.2f %.2f]" % (ps, pb, pa, cs, cb, ca))
    if not a.work:
        shutil.rmtree(work, ignore_errors=True)
    if not a.dest:
        shutil.rmtree(dest, ignore_errors=True)


if __name__ == "__main__":
    main()
