# A small web server for the tests, on 127.0.0.1 at a free port (printed first
# as "PORT <n>"): serves a folder like Python's http.server, and can instead
# answer slowly, redirect, show another start page, add headers, answer every
# request with one status code, or send a page that never ends. --hops N sends
# every request through N redirections on the same server before serving it.
import argparse
import http.server
import re
import sys
import time

p = argparse.ArgumentParser()
p.add_argument("--directory", default=".")
p.add_argument("--delay", type=float, default=0.0, help="seconds before each answer")
p.add_argument("--redirect", default="", help="base address every request is sent on to; 'self' for a loop")
p.add_argument("--root-page", default="", help="file shown for '/' instead of the folder's index.html")
p.add_argument("--header", action="append", default=[], help="'Name: value' added to every answer")
p.add_argument("--status", type=int, default=0, help="answer every request with this code")
p.add_argument("--endless", action="store_true", help="send a page that never ends")
p.add_argument("--hops", type=int, default=0, help="redirections before a request is served")
p.add_argument("--bind", default="127.0.0.1", help="a loopback address to listen on")
a = p.parse_args()


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=a.directory, **kwargs)

    def log_message(self, *args):
        pass

    def end_headers(self):
        for h in a.header:
            name, value = h.split(":", 1)
            self.send_header(name.strip(), value.strip())
        super().end_headers()

    def answer(self, code, body=b"", location=None):
        self.send_response(code)
        if location is not None:
            self.send_header("Location", location)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if a.delay:
            time.sleep(a.delay)
        if a.hops:
            m = re.match(r"^/hop(\d+)(/.*)$", self.path)
            done, rest = (int(m.group(1)), m.group(2)) if m else (0, self.path)
            if done < a.hops:
                return self.answer(302, location="/hop%d%s" % (done + 1, rest))
            self.path = rest
        if a.redirect == "self":
            return self.answer(302, location=self.path)
        if a.redirect:
            return self.answer(302, location=a.redirect + self.path.lstrip("/"))
        if a.status:
            return self.answer(a.status, b"<html>status</html>")
        if a.endless:
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b"<p>more</p>" * 1000)
            except (BrokenPipeError, ConnectionResetError):
                return
        if a.root_page and self.path == "/":
            with open(a.root_page, "rb") as f:
                return self.answer(200, f.read())
        return super().do_GET()


if not a.bind.startswith("127."):
    sys.exit("only loopback addresses")
server = http.server.ThreadingHTTPServer((a.bind, 0), Handler)
server.daemon_threads = True
print("PORT", server.server_address[1], flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    sys.exit(0)
