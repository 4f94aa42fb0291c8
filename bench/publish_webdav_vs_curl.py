#!/usr/bin/python3
"""Times `wobbin-express --publish` to a WebDAV server against `curl -T` sending
the same files to the same server, and prints the figures and their ratio.
  bench/publish_webdav_vs_curl.py               the page and 199 pictures of 50 KB
  bench/publish_webdav_vs_curl.py --runs 3 --connections 1
Build the wobbin-express and publish_site targets first. The server is
Apache's mod_dav (Debian's apache2) in the foreground on 127.0.0.1, with
Basic log-on, started and stopped here.
Cases, each the median of RUNS interleaved runs (program, curl, ...), end to
end (start-up included):
  all      every file into an emptied folder (the program's record of sent
           files forgotten: a first upload) against one curl command that
           sends every file over one connection (several -T in one command;
           its folders made beforehand). The program sends each file that
           may be there under a temporary name and moves it into place.
  same     nothing changed since the last upload: the program reads the
           folder's listing and sends nothing (curl has no such mode: the
           ratio is against its "all").
After each run of the program every file that arrived is compared byte for
byte with its original. Each run lists the 1-minute load average before and
after it: the machine may be shared, so run it when `uptime` is low.
"""
import argparse
import filecmp
import hashlib
import base64
import os
import pwd
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

import run_timing

HERE = os.path.dirname(os.path.abspath(__file__))
USER, PASSWORD = "bench", "bench-secret"
MODULES = ["mpm_event", "authz_core", "authz_user", "authn_core", "authn_file", "auth_basic", "dav", "dav_fs"]


def timed(args, env):
    return run_timing.timed(args, env, "WebDAV benchmark")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Apache:
    def __init__(self, folder, root):
        self.folder, self.root, self.port = folder, root, free_port()
        sha = base64.b64encode(hashlib.sha1(PASSWORD.encode()).digest()).decode()
        with open(os.path.join(folder, "basic"), "w") as f:
            f.write("%s:{SHA}%s\n" % (USER, sha))
        self.owner = None
        if os.getuid() == 0:
            www = pwd.getpwnam("www-data")
            self.owner = (www.pw_uid, www.pw_gid)
        os.makedirs(os.path.join(folder, "lock"), exist_ok=True)
        self.give(os.path.join(folder, "lock"))
        lines = ["LoadModule %s_module /usr/lib/apache2/modules/mod_%s.so" % (m, m) for m in MODULES]
        lines += ["Listen 127.0.0.1:%d" % self.port, "ServerName 127.0.0.1", "ServerRoot " + folder,
                  "DefaultRuntimeDir " + folder, "PidFile %s/httpd.pid" % folder, "ErrorLog %s/error.log" % folder,
                  "Mutex file:%s default" % folder, "KeepAlive On", "MaxKeepAliveRequests 0",
                  "DavLockDB %s/lock/davlock" % folder, "DocumentRoot " + root]
        if self.owner:
            lines += ["User www-data", "Group www-data"]
        lines += ["<Directory %s>" % root, "Dav On", "AuthType Basic", 'AuthName "bench"',
                  "AuthBasicProvider file", "AuthUserFile %s/basic" % folder, "Require valid-user", "</Directory>"]
        config = os.path.join(folder, "httpd.conf")
        with open(config, "w") as f:
            f.write("\n".join(lines) + "\n")
        self.process = subprocess.Popen(["/usr/sbin/apache2", "-X", "-f", config])
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        self.stop()
        sys.exit("WebDAV benchmark: Apache did not start (see %s/error.log)" % folder)

    def give(self, path):
        if not self.owner:
            return
        os.chown(path, *self.owner)
        for base, dirs, files in os.walk(path):
            for n in dirs + files:
                os.chown(os.path.join(base, n), *self.owner)

    def empty(self, name, folders=()):
        path = os.path.join(self.root, name)
        shutil.rmtree(path, ignore_errors=True)
        for f in ("",) + tuple(folders):
            os.makedirs(os.path.join(path, f), exist_ok=True)
        self.give(path)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


def main():
    ap = argparse.ArgumentParser(description="--publish by WebDAV against curl -T")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--pictures", type=int, default=199)
    ap.add_argument("--size", type=int, default=50 * 1024)
    ap.add_argument("--connections", type=int, default=0, help="files sent at once (0: the program's default)")
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    a = ap.parse_args()
    program, site_maker = run_timing.built(a.build, "WebDAV benchmark")
    work = tempfile.mkdtemp(prefix="wbx-dav-bench-")
    os.chmod(work, 0o755)
    root = os.path.join(work, "served")
    os.makedirs(root)
    server = Apache(work, root)
    server.give(root)
    try:
        home = os.path.join(work, "home")
        env = run_timing.home_env(home)
        data = os.path.join(work, "data")
        settings = ["Protocol=WebDAV", "Directory=program", "Address=127.0.0.1:%d" % server.port,
                    "UserName=" + USER, "Password=" + PASSWORD]
        if a.connections:
            settings.append("Connections=%d" % a.connections)
        subprocess.run([site_maker, data, str(a.pictures), str(a.size), "0"] + settings, env=env, check=True)
        page = os.path.join(data, "save", "Bench.qze")
        html = os.path.join(data, "HTMLFiles")
        stage = os.path.join(work, "stage")
        os.makedirs(stage)
        subprocess.run([program, "--export", page, "--data-dir", data, "--out", os.path.join(stage, "Bench.html")],
                       env=env, check=True, stdout=subprocess.DEVNULL)
        pictures = sorted(os.listdir(os.path.join(html, "graphics")))
        names = ["graphics/" + p for p in pictures] + ["Bench.html"]
        sources = [os.path.join(html, n) for n in names[:-1]] + [os.path.join(stage, "Bench.html")]
        curl_config = os.path.join(work, "curl.rc")
        with open(curl_config, "w") as f:
            f.write('user = "%s:%s"\nsilent\nshow-error\nfail\n' % (USER, PASSWORD))
            for n, s in zip(names, sources):
                f.write('upload-file = "%s"\nurl = "http://127.0.0.1:%d/curl/%s"\n' % (s, server.port, n))
        sent = os.path.join(env["XDG_DATA_HOME"], "Quorvex", "Wobbin Express", "sent")
        publish = [program, "--publish", page, "--server", "Bench", "--data-dir", data]

        def check(folder):
            for n, s in zip(names[:-1], sources[:-1]):
                if not filecmp.cmp(s, os.path.join(root, folder, n), False):
                    sys.exit("WebDAV benchmark: %s did not arrive whole in %s" % (n, folder))
            if not os.path.exists(os.path.join(root, folder, "Bench.html")):
                sys.exit("WebDAV benchmark: the page did not arrive in %s" % folder)

        rows = {"all": ([], []), "same": ([], [])}
        for run in range(a.runs):
            server.empty("program")
            server.empty("curl", ["graphics"])
            shutil.rmtree(sent, ignore_errors=True)
            rows["all"][0].append(timed(publish, env))
            check("program")
            rows["all"][1].append(timed(["curl", "-K", curl_config], env))
            check("curl")
            rows["same"][0].append(timed(publish, env))
            rows["same"][1].append(rows["all"][1][-1])

        print("publish by WebDAV to Apache on 127.0.0.1: %d files (%d pictures of %d bytes and the page), %d runs"
              % (len(names), len(pictures), a.size, a.runs))
        for case, (program_runs, curl_runs) in rows.items():
            p = statistics.median(r[0] for r in program_runs)
            c = statistics.median(r[0] for r in curl_runs)
            print("  %-5s --publish %7.3f s   curl -T %7.3f s   ratio %.2f" % (case, p, c, p / c if c else float("nan")))
            for (ps, pb, pa), (cs, cb, ca) in zip(program_runs, curl_runs):
                print("          %7.3f s [%.2f %.2f]   %7.3f s [%.2f %.2f]" % (ps, pb, pa, cs, cb, ca))
    finally:
        server.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
