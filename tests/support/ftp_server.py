#!/usr/bin/python3
"""A small FTP / explicit-TLS FTP server for the tests, on 127.0.0.1 only.

Prints "PORT <number>" on stdout once it listens, then serves until killed.
Run by /usr/bin/python3 (Debian's python3-pyftpdlib).

Options:
  --root DIR            the user's home folder (required)
  --user NAME --password TEXT
  --port N              0 (default) picks a free port
  --tls-cert FILE --tls-key FILE
                        offer AUTH TLS with this certificate
  --tls-required        refuse log-on and data without TLS
  --read-only DIR       a folder below the root where nothing may be written
  --no-rename           answer RNFR with 502 (a server that cannot rename)
  --throttle N          accept uploads at N bytes a second at most
  --max-connections N   take at most N connections at once (421 to the next)
  --command-log FILE    append each command the server receives to FILE, one
                        a line ("PASS" without its value)
"""

import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", default="user")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--tls-cert")
    ap.add_argument("--tls-key")
    ap.add_argument("--tls-required", action="store_true")
    ap.add_argument("--read-only", action="append", default=[])
    ap.add_argument("--no-rename", action="store_true")
    ap.add_argument("--throttle", type=int, default=0)
    ap.add_argument("--command-log")
    ap.add_argument("--max-connections", type=int, default=0)
    args = ap.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    for d in args.read_only:
        full = os.path.join(args.root, d)
        os.makedirs(full, exist_ok=True)
        authorizer.override_perm(args.user, full, "elr", recursive=True)

    if args.tls_cert:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler
    else:
        base = FTPHandler

    class Handler(base):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "test server ready"
    Handler.auth_failed_timeout = 0.1
    Handler.passive_ports = None
    Handler.permit_foreign_addresses = False
    if args.tls_cert:
        # A context of our own: the session id context lets clients resume the
        # control connection's TLS session on data connections (as servers that
        # insist on that resumption expect).
        from OpenSSL import SSL
        ctx = SSL.Context(SSL.TLS_SERVER_METHOD)
        ctx.use_certificate_chain_file(args.tls_cert)
        ctx.use_privatekey_file(args.tls_key)
        ctx.set_session_id(b"wobbin-test")
        ctx.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
        Handler.ssl_context = ctx
        Handler.certfile = args.tls_cert
        Handler.keyfile = args.tls_key
        Handler.tls_control_required = args.tls_required
        Handler.tls_data_required = args.tls_required
    if args.no_rename:
        def ftp_RNFR(self, path):
            self.respond("502 Command not implemented.")
        Handler.ftp_RNFR = ftp_RNFR
        Handler.proto_cmds = dict(Handler.proto_cmds)
    if args.command_log:
        log = open(args.command_log, "a", buffering=1)

        def pre_process_command(self, line, cmd, arg, _base=base.pre_process_command):
            log.write("PASS\n" if cmd == "PASS" else (cmd + " " + arg).rstrip() + "\n")
            return _base(self, line, cmd, arg)
        Handler.pre_process_command = pre_process_command
    # The data channel. pyftpdlib closes a data connection that is open before
    # its transfer command arrived; clients that start TLS on the data
    # connection at once (libcurl does) need it kept while the command comes.
    dtp_bases = []
    if args.tls_cert:
        from pyftpdlib.handlers import TLS_DTPHandler
        dtp_bases.append(TLS_DTPHandler)
    dtp_bases.append(ThrottledDTPHandler if args.throttle > 0 else DTPHandler)

    class Dtp(*dtp_bases):
        read_limit = args.throttle if args.throttle > 0 else 0
        write_limit = 0

        def readable(self):
            if not self.receive and not self._initialized:
                return bool(getattr(self, "_ssl_accepting", False)
                            or getattr(self, "_ssl_want_read", False))
            return super().readable()

    Handler.dtp_handler = Dtp

    import logging
    logging.basicConfig(level=logging.ERROR)

    server = FTPServer(("127.0.0.1", args.port), Handler)
    server.max_cons = 64
    if args.max_connections > 0:
        server.max_cons_per_ip = args.max_connections
    print("PORT %d" % server.address[1], flush=True)
    try:
        server.serve_forever(handle_exit=True)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()


if __name__ == "__main__":
    sys.exit(main())
