#!/usr/bin/env python3
"""A stand-in update server for the update check's tests.

Prints the port it listens on (on 127.0.0.1) as the first line of its
output, then serves until it is terminated. Modes:

  https       TLS with --cert/--key; answers every GET with --status and
              --body (between --pad and --trail filler bytes), or, for
              the update page path, with a 302 to --redirect when given.
  http        the same without TLS.
  trickle     TLS like https, but after the headers and --body it sends
              the announced --trail filler bytes one every --interval
              seconds.
  silent      accepts TCP connections and never says a word.
  tls-silent  completes the TLS handshake, then never answers.
  proxy       an HTTP proxy for CONNECT tunnels that wants the Basic
              credentials --proxy-user ("name:password") and answers 407
              until it gets them.

Every request (GET or CONNECT) is appended to --log as one JSON line.
"""

import argparse
import base64
import http.server
import json
import os
import select
import socket
import socketserver
import ssl
import sys
import threading
import time

# The serving loop is the download tests' file server's.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from file_server import serve  # noqa: E402

UPDATE_PAGE_PATH = "/update/orvexupd.htm"
log_lock = threading.Lock()


def log(args, entry):
    if not args.log:
        return
    with log_lock, open(args.log, "a", encoding="utf-8") as out:
        out.write(json.dumps(entry) + "\n")


def page_handler(args):
    body = b"." * args.pad + args.body.encode("utf-8") + b"." * args.trail

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def setup(self):
            if isinstance(self.request, ssl.SSLSocket):
                self.request.do_handshake()
            super().setup()

        def do_GET(self):
            log(args, {"method": "GET", "path": self.path,
                       "version": self.request_version,
                       "headers": {k.lower(): v for k, v in self.headers.items()}})
            if args.redirect and self.path == UPDATE_PAGE_PATH:
                self.send_response(302)
                self.send_header("Location", args.redirect)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            self.send_response(args.status)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if args.mode != "trickle":
                self.wfile.write(body)
                return
            head = len(body) - args.trail
            self.wfile.write(body[:head])
            self.wfile.flush()
            for index in range(head, len(body)):
                time.sleep(args.interval)
                self.wfile.write(body[index:index + 1])
                self.wfile.flush()

        def log_message(self, *unused):
            pass

    return Handler


class SilentHandler(socketserver.BaseRequestHandler):
    def handle(self):
        if isinstance(self.request, ssl.SSLSocket):
            self.request.do_handshake()
        time.sleep(3600)


def read_head(connection):
    """The request head up to the blank line, or None when the peer left."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = connection.recv(4096)
        if not chunk:
            return None
        data += chunk
    return data.split(b"\r\n\r\n", 1)[0].decode("latin-1")


def tunnel(a, b):
    sockets = [a, b]
    while True:
        readable, _, _ = select.select(sockets, [], [], 60)
        if not readable:
            return
        for source in readable:
            data = source.recv(65536)
            if not data:
                return
            (b if source is a else a).sendall(data)


def proxy_handler(args):
    expected = "Basic " + base64.b64encode(args.proxy_user.encode()).decode()

    class Handler(socketserver.BaseRequestHandler):
        def handle(self):
            while True:
                head = read_head(self.request)
                if head is None:
                    return
                lines = head.split("\r\n")
                method, target = lines[0].split(" ")[:2]
                headers = {}
                for line in lines[1:]:
                    name, _, value = line.partition(":")
                    headers[name.strip().lower()] = value.strip()
                credentials = headers.get("proxy-authorization")
                log(args, {"method": method, "target": target,
                           "proxy-authorization": credentials})
                if method != "CONNECT" or credentials != expected:
                    self.request.sendall(
                        b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                        b"Proxy-Authenticate: Basic realm=\"update\"\r\n"
                        b"Content-Length: 0\r\n\r\n")
                    continue
                host, _, port = target.rpartition(":")
                with socket.create_connection((host, int(port))) as upstream:
                    self.request.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
                    tunnel(self.request, upstream)
                return

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", default="https",
                        choices=["https", "http", "trickle", "silent", "tls-silent",
                                 "proxy"])
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--body", default="")
    parser.add_argument("--pad", type=int, default=0)
    parser.add_argument("--trail", type=int, default=0)
    parser.add_argument("--interval", type=float, default=1.0)
    parser.add_argument("--redirect")
    parser.add_argument("--proxy-user", default="")
    parser.add_argument("--log")
    args = parser.parse_args()

    if args.mode in ("https", "http", "trickle"):
        handler = page_handler(args)
    elif args.mode == "proxy":
        handler = proxy_handler(args)
    else:
        handler = SilentHandler
    tls = (args.cert, args.key) if args.mode in ("https", "trickle", "tls-silent") else None
    serve(handler, tls)

if __name__ == "__main__":
    sys.exit(main())
