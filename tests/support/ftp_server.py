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
  --slow-tls-data MS    finish each data connection's TLS handshake MS
                        milliseconds late (a busy server: its TLS 1.3 session
                        tickets reach a client that may have sent its file)
  --cut-uploads N       keep only the first N bytes of each file received
                        while answering that it arrived (a faulty server)
  --command-log FILE    append each command the server receives to FILE, one
                        a line ("PASS" without its value)
"""

import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


# What every loopback FTP server of the tests and benchmarks shares (the
# benchmark's delayed server imports these): one account, 127.0.0.1 only.

def add_account_arguments(ap):
    """--root (the user's home), --user, --password, --port (0: a free one)."""
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", default="user")
    ap.add_argument("--password", default="secret")
    ap.add_argument("--port", type=int, default=0)


def account(args):
    """The one user, with every right in its home folder."""
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    return authorizer


def serve(server_class, handler, port, max_connections=0):
    """Listens on 127.0.0.1, prints "PORT <number>" and serves until killed."""
    logging.basicConfig(level=logging.ERROR)
    server = server_class(("127.0.0.1", port), handler)
    server.max_cons = 64
    if max_connections > 0:
        server.max_cons_per_ip = max_connections
    print("PORT %d" % server.address[1], flush=True)
    try:
        server.serve_forever(handle_exit=True)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()



def main():
    ap = argparse.ArgumentParser()
    add_account_arguments(ap)
    ap.add_argument("--tls-cert")
    ap.add_argument("--tls-key")
    ap.add_argument("--tls-required", action="store_true")
    ap.add_argument("--read-only", action="append", default=[])
    ap.add_argument("--no-rename", action="store_true")
    ap.add_argument("--throttle", type=int, default=0)
    ap.add_argument("--command-log")
    ap.add_argument("--max-connections", type=int, default=0)
    ap.add_argument("--slow-tls-data", type=int, default=0)
    ap.add_argument("--cut-uploads", type=int, default=-1)
    args = ap.parse_args()

    authorizer = account(args)
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
    if args.cut_uploads >= 0:
        def on_file_received(self, path):
            if os.path.getsize(path) > args.cut_uploads:
                os.truncate(path, args.cut_uploads)
        Handler.on_file_received = on_file_received
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
        _slept = False

        def readable(self):
            if not self.receive and not self._initialized:
                return bool(getattr(self, "_ssl_accepting", False)
                            or getattr(self, "_ssl_want_read", False))
            return super().readable()

        def _do_ssl_handshake(self):
            # Once the server's part went out (a cipher is chosen), the next
            # step reads the client's Finished and sends the session tickets:
            # with --slow-tls-data that waits for the transfer command and
            # its 150 answer, then for the time given, while the client sends.
            if args.slow_tls_data > 0 and not self._slept and \
                    self.socket.get_cipher_name() is not None:
                if self.cmd is None:
                    return None  # called again at once: the socket stays readable
                self._slept = True
                if self.receive:
                    import time
                    time.sleep(args.slow_tls_data / 1000.0)
            return super()._do_ssl_handshake()

        def close(self):
            # pyftpdlib takes any end of an upload's data connection as the
            # file's end, a reset too, which throws away what had not reached
            # it yet. Over TLS the client's close_notify marks a whole file: an
            # upload that ended without one is reported as broken (426), as a
            # real server does, rather than as a complete one.
            if (args.tls_cert and self.receive and self._resp
                    and self._resp[0].startswith("226")):
                from OpenSSL import SSL
                sock = self.socket
                if isinstance(sock, SSL.Connection) and \
                        not (sock.get_shutdown() & SSL.RECEIVED_SHUTDOWN):
                    self.transfer_finished = False
                    self._resp = ("426 Data connection ended without "
                                  "close_notify; transfer aborted.",
                                  logging.warning)
            return super().close()

    Handler.dtp_handler = Dtp

    serve(FTPServer, Handler, args.port, args.max_connections)


if __name__ == "__main__":
    sys.exit(main())
