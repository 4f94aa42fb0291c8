#!/usr/bin/python3
"""A loopback FTP server that stands for a host far away: every answer it
gives (the greeting, each reply line it sends) and every data connection it
takes goes out only after a chosen delay. 25 ms per answer stands for a host
about 50 ms away: each file then costs its round trips (the passive-mode
request, the data connection, the store command, the final reply) as it would
over a real network, while the bytes themselves still move at loopback speed.

Each session runs in a thread of its own (pyftpdlib's threaded server), so a
client with several connections has them served side by side, as a real host
would.

It also writes what happened, one event a line, to --event-log, so that the
benchmark can see where a client waited:

  <monotonic seconds> <session> <event> [details]

  open                        a control connection arrived
  cmd <COMMAND>               a command is handled (its argument left out)
  reply <code>                a reply went out (after the delay; one event for
                              a reply of several lines)
  data-open                   a data connection arrived (before the delay)
  data-close <bytes>          a data connection ended, with the bytes received

The times are CLOCK_MONOTONIC, the clock of time.monotonic() in any process
on the machine.

Prints "PORT <number>" on stdout once it listens, then serves until killed.
Run by /usr/bin/python3 (Debian's python3-pyftpdlib).

Usage: delayed_ftp_server.py --root DIR [--user NAME] [--password TEXT]
                             [--delay SECONDS] [--event-log FILE] [--port N]
"""

import argparse
import errno
import itertools
import os
import sys
import threading
import time

from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import ActiveDTP, DTPHandler, FTPHandler, PassiveDTP
from pyftpdlib.servers import ThreadedFTPServer

# The start-up the tests' FTP server has: one account, 127.0.0.1, "PORT n".
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "tests", "support"))
from ftp_server import account, add_account_arguments, serve  # noqa: E402


class EventLog:
    def __init__(self, path):
        self._file = open(path, "a", buffering=1) if path else None
        self._lock = threading.Lock()

    def write(self, session, event, detail=""):
        if self._file is None:
            return
        line = "%.6f %d %s%s\n" % (time.monotonic(), session, event, " " + detail if detail else "")
        with self._lock:
            self._file.write(line)


class Fs(AbstractedFS):
    """pyftpdlib tries a CWD by changing the process's working folder and
    back, which sessions in threads side by side mix up: the process can be
    left in a folder that is removed later, and every CWD after that fails.
    This one checks the folder without changing the working folder."""

    def chdir(self, path):
        code = 0
        if not os.path.isdir(path):
            code = errno.ENOTDIR if os.path.exists(path) else errno.ENOENT
        elif not os.access(path, os.X_OK):
            code = errno.EACCES
        if code:
            raise OSError(code, os.strerror(code), path)
        self.cwd = self.fs2ftp(path)


def make_handler(authorizer, delay, events):
    sessions = itertools.count(1)

    def wait():
        if delay > 0:
            time.sleep(delay)

    class Passive(PassiveDTP):
        def handle_accepted(self, sock, addr):
            events.write(self.cmd_channel.session, "data-open")
            wait()
            super().handle_accepted(sock, addr)

    class Active(ActiveDTP):
        def __init__(self, ip, port, cmd_channel):
            wait()
            super().__init__(ip, port, cmd_channel)

        def handle_connect(self):
            events.write(self.cmd_channel.session, "data-open")
            super().handle_connect()

    class Dtp(DTPHandler):
        def close(self):
            if not self._closed:
                events.write(self.cmd_channel.session, "data-close", str(self.tot_bytes_received))
            super().close()

    class Handler(FTPHandler):
        session = 0
        in_reply = False  # inside a reply of several lines
        passive_dtp = Passive
        active_dtp = Active
        dtp_handler = Dtp

        def on_connect(self):
            self.session = next(sessions)
            events.write(self.session, "open")

        def pre_process_command(self, line, cmd, arg):
            events.write(self.session, "cmd", cmd)
            return super().pre_process_command(line, cmd, arg)

        def push(self, s):
            # Every reply, the greeting included, comes through here, some
            # in several pieces: a reply of several lines ("211-" ... "211 ")
            # waits once, before its first piece.
            code = s[:3] if s[:3].isdigit() else ""
            starts = bool(code) and not self.in_reply
            if starts:
                wait()
            last = s.rstrip("\r\n").rsplit("\r\n", 1)[-1]
            if starts or self.in_reply:
                self.in_reply = not (last[:3].isdigit() and last[3:4] == " ")
            super().push(s)
            if starts:
                events.write(self.session, "reply", code)

    Handler.authorizer = authorizer
    Handler.abstracted_fs = Fs
    Handler.banner = "benchmark server ready"
    Handler.passive_ports = None
    Handler.permit_foreign_addresses = False
    return Handler


def main():
    ap = argparse.ArgumentParser()
    add_account_arguments(ap)
    ap.add_argument("--delay", type=float, default=0.025, help="seconds before each answer")
    ap.add_argument("--event-log")
    args = ap.parse_args()

    handler = make_handler(account(args), max(0.0, args.delay), EventLog(args.event_log))
    serve(ThreadedFTPServer, handler, args.port)


if __name__ == "__main__":
    sys.exit(main())
