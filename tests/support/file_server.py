#!/usr/bin/env python3
"""A stand-in file server for the tests of downloads.

Serves the files of --root over HTTPS (--cert, --key) on 127.0.0.1, or over
plain HTTP with --plain. Prints the port it listens on as the first line of
its output, then serves until it is terminated or the process that started
it is gone. Only the Python standard library is used.

GET /NAME answers 200 with the file NAME of the root folder (404 when there
is none). A first path segment selects a way to fail; the rest of the path
names the file:

  /status/CODE/NAME    answers CODE with a short body
  /redirect/NAME       302 to /NAME
  /loop/N              302 to /loop/N+1, without end
  /redirect-http/NAME  302 to http://localhost:PORT/NAME
  /stall/NAME          announces the file's length, sends its first half,
                       then nothing more while the client waits
  /cut/NAME            announces the file's length, sends its first half,
                       then closes the connection
  /chunked/NAME        sends the file in chunks without announcing a length
  /slow/NAME           announces the file's length and sends it in 40 pieces,
                       one every 0.1 s (for watching a progress display)

With --log, every request is appended to that file as one JSON line with
the path and the request's headers.
"""

import argparse
import http.server
import json
import os
import socketserver
import ssl
import sys
import threading
import time
import urllib.parse

log_lock = threading.Lock()


def handler_class(args):
    root = os.path.realpath(args.root)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def setup(self):
            # The handshake runs here, in the handler's thread, so a client
            # that rejects the certificate does not hold up the accept loop.
            if isinstance(self.request, ssl.SSLSocket):
                self.request.do_handshake()
            super().setup()

        def log_message(self, *unused):
            pass

        def do_GET(self):
            self.log_request_line()
            path = urllib.parse.urlsplit(self.path).path
            mode, _, rest = path.lstrip("/").partition("/")
            if mode == "status":
                code, _, _ = rest.partition("/")
                return self.answer(int(code), b"failure on purpose\n")
            if mode == "redirect":
                return self.redirect("/" + rest)
            if mode == "loop":
                return self.redirect("/loop/%d" % (int(rest or "0") + 1))
            if mode == "redirect-http":
                port = self.server.server_address[1]
                return self.redirect("http://localhost:%d/%s" % (port, rest))
            name = rest if mode in ("stall", "cut", "chunked", "slow") else path.lstrip("/")
            body = self.read_file(name)
            if body is None:
                return self.answer(404, b"no such file\n")
            if mode == "stall":
                return self.send_half(body, stall=True)
            if mode == "cut":
                return self.send_half(body, stall=False)
            if mode == "chunked":
                return self.send_chunked(body)
            if mode == "slow":
                return self.send_slowly(body)
            return self.answer(200, body)

        def log_request_line(self):
            if not args.log:
                return
            entry = {"path": self.path,
                     "headers": {k.lower(): v for k, v in self.headers.items()}}
            with log_lock, open(args.log, "a", encoding="utf-8") as out:
                out.write(json.dumps(entry) + "\n")

        def read_file(self, name):
            file = os.path.realpath(os.path.join(root, urllib.parse.unquote(name)))
            if not file.startswith(root + os.sep) or not os.path.isfile(file):
                return None
            with open(file, "rb") as data:
                return data.read()

        def head(self, code, length=None, extra=()):
            self.send_response(code)
            self.send_header("Content-Type", "application/octet-stream")
            if length is not None:
                self.send_header("Content-Length", str(length))
            for name, value in extra:
                self.send_header(name, value)
            self.end_headers()

        def answer(self, code, body):
            self.head(code, len(body))
            self.wfile.write(body)

        def redirect(self, location):
            self.head(302, 0, [("Location", location)])

        def send_half(self, body, stall):
            self.head(200, len(body))
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            if stall:
                time.sleep(300)
            self.close_connection = True

        def send_slowly(self, body):
            self.head(200, len(body))
            piece = max(1, -(-len(body) // 40))
            for start in range(0, len(body), piece):
                self.wfile.write(body[start:start + piece])
                self.wfile.flush()
                time.sleep(0.1)

        def send_chunked(self, body):
            self.head(200, None, [("Transfer-Encoding", "chunked")])
            for start in range(0, len(body), 4096):
                chunk = body[start:start + 4096]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
            self.wfile.write(b"0\r\n\r\n")

    return Handler


def end_with_parent():
    """Ends the server when the test that started it is gone, even when the
    test died without terminating it."""
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # a client that gives up (on the certificate, a limit) is expected


def serve(handler, tls):
    """Serves `handler` on 127.0.0.1 with TLS (`tls`: certificate and key
    files) or without (None): prints the port as the first line of output,
    then serves until the process that started it is gone."""
    server = Server(("127.0.0.1", 0), handler)
    if tls is not None:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
        # The handshake runs in the handler's thread, so a client that
        # rejects the certificate does not hold up the accept loop.
        server.socket = context.wrap_socket(server.socket, server_side=True,
                                            do_handshake_on_connect=False)
    threading.Thread(target=end_with_parent, daemon=True).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--plain", action="store_true")
    parser.add_argument("--log")
    args = parser.parse_args()

    serve(handler_class(args), None if args.plain else (args.cert, args.key))

if __name__ == "__main__":
    sys.exit(main())
