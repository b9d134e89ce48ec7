#!/usr/bin/env python3
"""HTTP(S) server on 127.0.0.1 for the updater's tests and benchmark.

Serves the files of --root under a few prefixes that shape the response:
  /files/NAME       200 with Content-Length
  /nolength/NAME    200 without Content-Length (the body ends with the connection)
  /short/NAME       Content-Length 1000 bytes more than is sent
  /404/NAME         404 with an HTML page
  /redirect/NAME    302 to /files/NAME
  /headers          200 with the request's header lines as the body
  /endless          200 without Content-Length and a body that never ends
  /claim/NAME       Content-Length of 1 TiB, then the file
  /drip/NAME?delay=S  200 with Content-Length, one byte every S seconds
  /stall/NAME?after=N 200 with Content-Length, N bytes, then silence
Prints the port on the first line of stdout. Stops when stdin closes or
after --lifetime seconds, whichever comes first.
"""
import argparse
import http.server
import os
import ssl
import sys
import threading
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    root = "."

    def log_message(self, *args):
        pass

    def send_body(self, status, body, length=None, content_type="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.end_headers()
        if isinstance(body, bytes):
            self.wfile.write(body)
        else:
            with body:
                self.wfile.flush()
                if isinstance(self.connection, ssl.SSLSocket):
                    while True:
                        chunk = body.read(1 << 16)
                        if not chunk:
                            break
                        self.wfile.write(chunk)
                else:
                    self.connection.sendfile(body)

    def send_slowly(self, path, delay, after):
        with open(path, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            if after is not None:
                self.wfile.write(body[:after])
                self.wfile.flush()
                time.sleep(3600)
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(delay)
        except OSError:
            pass  # the client gave up

    def do_GET(self):
        path, _, query = self.path.partition("?")
        params = dict(urllib.parse.parse_qsl(query))
        parts = path.strip("/").split("/", 1)
        kind = parts[0]
        if kind == "endless":
            self.send_response(200)
            self.end_headers()
            chunk = bytes(1 << 16)
            try:
                while True:
                    self.wfile.write(chunk)
            except OSError:
                pass
            return
        if kind == "headers":
            text = "".join(f"{k}: {v}\n" for k, v in self.headers.items())
            self.send_body(200, text.encode(), len(text.encode()), "text/plain")
            return
        name = os.path.basename(parts[1]) if len(parts) > 1 else ""
        path = os.path.join(self.root, name)
        if kind == "404" or not name or not os.path.isfile(path):
            page = b"<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>\n"
            self.send_body(404, page, len(page), "text/html")
            return
        size = os.path.getsize(path)
        if kind == "files":
            self.send_body(200, open(path, "rb"), size)
        elif kind == "nolength":
            self.send_body(200, open(path, "rb"))
        elif kind == "short":
            self.send_body(200, open(path, "rb"), size + 1000)
        elif kind == "claim":
            self.send_body(200, open(path, "rb"), 1 << 40)
        elif kind == "drip":
            self.send_slowly(path, float(params.get("delay", "0.4")), None)
        elif kind == "stall":
            self.send_slowly(path, 0, int(params.get("after", "0")))
        elif kind == "redirect":
            self.send_response(302)
            self.send_header("Location", "/files/" + name)
            self.send_header("Content-Length", "0")
            self.end_headers()
        else:
            self.send_body(404, b"", 0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    Handler.root = args.root
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)

    def stop_when_stdin_closes():
        sys.stdin.read()
        server.shutdown()

    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    server.serve_forever()


if __name__ == "__main__":
    main()
