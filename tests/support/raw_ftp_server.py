#!/usr/bin/python3
"""A bare FTP server for the hostile cases, on 127.0.0.1 only: it logs every
line it receives (one a line, "PASS" without its value), takes any login and
password, answers the log-on and folder commands and refuses everything else.
With --silent it accepts connections and never says a word (the log notes each one).

Prints "PORT <number>" on stdout once it listens, then serves until killed.
"""

import argparse
import socket
import sys
import threading

REPLIES = {"USER": "331 password please", "PASS": "230 logged on", "PWD": '257 "/"',
           "CWD": "250 done", "MKD": "257 made", "TYPE": "200 done", "QUIT": "221 bye"}


def serve(conn, log, silent):
    with conn:
        if silent:
            if log:
                with open(log, "ab") as f:
                    f.write(b"(connected)\n")
            conn.recv(1)  # until the client gives up
            return
        conn.sendall(b"220 ready\r\n")
        data = b""
        while True:
            chunk = conn.recv(4096)
            if not chunk:
                return
            data += chunk
            while b"\r\n" in data:
                line, data = data.split(b"\r\n", 1)
                verb = line.split(b" ", 1)[0].decode("latin-1").upper()
                with open(log, "ab") as f:
                    f.write((b"PASS" if verb == "PASS" else line) + b"\n")
                conn.sendall(REPLIES.get(verb, "502 not here").encode() + b"\r\n")
                if verb == "QUIT":
                    return


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--log", default="/dev/null")
    ap.add_argument("--silent", action="store_true")
    args = ap.parse_args()
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    s.listen(8)
    print("PORT %d" % s.getsockname()[1], flush=True)
    while True:
        conn, _ = s.accept()
        threading.Thread(target=serve, args=(conn, args.log, args.silent), daemon=True).start()


if __name__ == "__main__":
    sys.exit(main())
