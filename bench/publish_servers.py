"""The servers of the publish benchmark, on 127.0.0.1 only, started and ended
by it:

  DelayedFtpServer  bench/delayed_ftp_server.py (pyftpdlib, threaded), every
                    answer and data connection after a chosen delay, with
                    its event log
  SftpServer        ProFTPD's mod_sftp in the foreground with a virtual user
                    from its own password file, set up as the upload tests
                    set it up (tests/support/TestServers.cpp), and besides
                    the password a key for OpenSSH's sftp

Each runs in a process group of its own and dies with the benchmark.
"""

import os
import pwd
import grp
import signal
import socket
import subprocess
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"


def _start_group():
    os.setpgid(0, 0)


def _end(process):
    if process is None or process.poll() is not None:
        return
    try:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait(timeout=5)
    except (ProcessLookupError, subprocess.TimeoutExpired):
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def _accepts(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class Event:
    __slots__ = ("time", "session", "kind", "detail")

    def __init__(self, line):
        parts = line.split(" ", 3)
        self.time = float(parts[0])
        self.session = int(parts[1])
        self.kind = parts[2]
        self.detail = parts[3] if len(parts) > 3 else ""


class DelayedFtpServer:
    def __init__(self, root, delay, log, user="user", password="secret"):
        self.root, self.delay, self.log = root, delay, log
        self.user, self.password = user, password
        self.process = None
        self.port = 0

    def start(self):
        self.process = subprocess.Popen(
            [PYTHON, os.path.join(BENCH, "delayed_ftp_server.py"), "--root", self.root, "--user", self.user,
             "--password", self.password, "--delay", str(self.delay), "--event-log", self.log],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, preexec_fn=_start_group, cwd="/")
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            _end(self.process)
            raise RuntimeError("the FTP server did not start: " + self.process.stderr.read())
        self.port = int(line.split()[1])
        return self

    def mark(self):
        """Where the event log ends now: events() from here on are new."""
        return os.path.getsize(self.log) if os.path.exists(self.log) else 0

    def events(self, since):
        with open(self.log) as f:
            f.seek(since)
            return [Event(line.rstrip("\n")) for line in f if line.strip()]

    def stop(self):
        _end(self.process)
        self.process = None


class SftpServer:
    """ProFTPD's mod_sftp. The user logs on with the password or with the
    key in client_key (made here, for OpenSSH's sftp -i)."""

    def __init__(self, root, folder, user="user", password="secret"):
        self.root, self.folder, self.user, self.password = root, folder, user, password
        self.client_key = os.path.join(folder, "client_key")
        self.process = None
        self.port = 0
        self.known_hosts_line = ""

    def _run(self, args, stdin=None):
        r = subprocess.run(args, input=stdin, capture_output=True, text=True)
        if r.returncode != 0:
            raise RuntimeError("%s failed: %s" % (args[0], r.stderr.strip()))
        return r.stdout

    def start(self):
        d = self.folder
        os.makedirs(d, exist_ok=True)
        self.port = free_port()
        host_key = os.path.join(d, "hostkey")
        self._run(["ssh-keygen", "-q", "-t", "ecdsa", "-b", "256", "-m", "PEM", "-N", "", "-f", host_key])
        kind, blob = open(host_key + ".pub").read().split()[:2]
        self.known_hosts_line = "[127.0.0.1]:%d %s %s" % (self.port, kind, blob)
        self._run(["ssh-keygen", "-q", "-t", "ecdsa", "-b", "256", "-N", "", "-f", self.client_key])
        with open(os.path.join(d, "authorized_keys"), "w") as f:
            f.write(self._run(["ssh-keygen", "-e", "-f", self.client_key + ".pub"]))
        uid, gid = os.getuid(), os.getgid()
        user_name = pwd.getpwuid(uid).pw_name
        group_name = grp.getgrgid(gid).gr_name
        self._run(["ftpasswd", "--passwd", "--file=%s/passwd" % d, "--name=" + self.user, "--uid=%d" % uid,
                   "--gid=%d" % gid, "--home=" + self.root, "--shell=/bin/false", "--stdin"],
                  stdin=self.password + "\n")
        self._run(["ftpasswd", "--group", "--file=%s/group" % d, "--name=" + group_name, "--gid=%d" % gid,
                   "--member=" + self.user])
        config = os.path.join(d, "proftpd.conf")
        with open(config, "w") as f:
            f.write("\n".join([
                "ModulePath /usr/lib/proftpd",
                "LoadModule mod_sftp.c",
                'ServerName "benchmark"',
                "ServerType standalone",
                "DefaultServer on",
                "Port %d" % self.port,
                "DefaultAddress 127.0.0.1",
                "SocketBindTight on",
                "UseIPv6 off",
                "PidFile %s/proftpd.pid" % d,
                "ScoreboardFile %s/proftpd.scoreboard" % d,
                "DelayEngine off",
                "WtmpLog off",
                "TransferLog none",
                "SystemLog %s/system.log" % d,
                "User " + user_name,
                "Group " + group_name,
                "RootLogin on",
                "AuthOrder mod_auth_file.c",
                "AuthUserFile %s/passwd" % d,
                "AuthGroupFile %s/group" % d,
                "RequireValidShell off",
                "UseReverseDNS off",
                "DefaultRoot ~",
                "AllowOverwrite on",
                "MaxInstances 30",
                "SFTPEngine on",
                "SFTPHostKey %s" % host_key,
                "SFTPAuthMethods publickey password",
                "SFTPAuthorizedUserKeys file:%s/authorized_keys" % d,
                "SFTPLog %s/sftp.log" % d,
                ""]))
        self.process = subprocess.Popen(["proftpd", "-n", "-q", "-c", config], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True, preexec_fn=_start_group)
        until = time.monotonic() + 15
        while time.monotonic() < until:
            if _accepts(self.port):
                return self
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        log = ""
        for name in ("system.log", "sftp.log"):
            p = os.path.join(d, name)
            if os.path.exists(p):
                log += open(p).read()
        _end(self.process)
        raise RuntimeError("the SFTP server did not start: " + log)

    def stop(self):
        _end(self.process)
        self.process = None
