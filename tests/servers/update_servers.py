#!/usr/bin/env python3
"""Loopback servers for the update tests, started and stopped around one test
program: python3 update_servers.py COMMAND [ARGS...]

Starts, on 127.0.0.1 only, one small HTTP server per reply the tests want
(update checks, and installers of chosen sizes, without a length, cut short
or sent slowly; with PURGELLO_TEST_INSTALLERS set, the signed and unsigned
installers of tests/installer/sign_installers.py, one server each) and an
HTTP proxy that demands Basic credentials, runs COMMAND with
PURGELLO_TEST_SERVERS set to "name=port,..." (a name with no server behind it,
"refused", is a port nobody listens on), stops everything and exits with
COMMAND's status. Every server answers GET /seen with the request lines it has
received, one a line, so a test can see what reached it."""

import base64
import os
import http.server
import socket
import subprocess
import sys
import threading
import time

PROXY_USER, PROXY_PASSWORD = "ann", "s3cret"


class Recorder(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # reply_headers: self.headers is the request's own
    status, reason, body, reply_headers = 200, "OK", b"", ()

    def log_message(self, *args):
        pass

    def send(self, status, reason, body, headers=()):
        self.send_response(status, reason)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/seen":
            self.send(200, "OK", "".join(line + "\n" for line in self.server.seen).encode())
            return
        self.server.seen.append(self.requestline + " | " + self.headers.get("Proxy-Authorization", "-"))
        self.reply()

    def reply(self):
        self.send(self.status, self.reason, self.body, self.reply_headers)


class Proxy(Recorder):
    """Forwards absolute-URI requests for any host to the servers of its routes:
    "/files/..." to one, everything else (the update check) to another; the
    "newer" server for both until GET /route?check=NAME&files=NAME (asked of
    the proxy directly) names others."""

    servers = {}
    routes = {"check": "newer", "files": "newer"}

    def do_GET(self):
        if self.path.startswith("/route?"):
            for item in self.path[len("/route?"):].split("&"):
                key, _, name = item.partition("=")
                self.routes[key] = name
            self.send(200, "OK", b"")
            return
        super().do_GET()

    def reply(self):
        expected = "Basic " + base64.b64encode(f"{PROXY_USER}:{PROXY_PASSWORD}".encode()).decode()
        if self.headers.get("Proxy-Authorization") != expected:
            self.send(407, "Proxy Authentication Required", b"", [("Proxy-Authenticate", 'Basic realm="test"')])
            return
        if not self.path.startswith("http://"):
            self.send(502, "Bad Gateway", b"")
            return
        # Wine's WinHTTP names the default port in the absolute URI, Windows does not
        host_and_port, _, rest = self.path[len("http://"):].partition("/")
        path = "/" + rest
        target = self.servers[self.routes["files" if path.startswith("/files/") else "check"]]
        with socket.create_connection(("127.0.0.1", target.server_address[1])) as upstream:
            upstream.sendall(f"GET {path} HTTP/1.0\r\nHost: {host_and_port.split(':')[0]}\r\n\r\n".encode())
            answer = b""
            while chunk := upstream.recv(65536):
                answer += chunk
        head, _, body = answer.partition(b"\r\n\r\n")
        status_line = head.split(b"\r\n")[0].decode().split(" ", 2)
        self.send(int(status_line[1]), status_line[2], body)


class Installer(Recorder):
    """Serves size bytes: with a Content-Length, without one (the end of the
    body is the end of the connection), or cut after cut_at of them."""

    size, announce, cut_at = 0, True, None

    def reply(self):
        body = b"M" * self.size
        self.send_response(200, "OK")
        if self.announce or self.cut_at is not None:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        self.wfile.write(body if self.cut_at is None else body[:self.cut_at])
        self.wfile.flush()
        if self.cut_at is not None:
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True


class Slow(Recorder):
    """Serves the chunks one by one, pause seconds apart, with a Content-Length
    or without one (the end of the connection ends the body)."""

    chunks, pause, announce = (), 0.7, True

    def reply(self):
        self.send_response(200, "OK")
        if self.announce:
            self.send_header("Content-Length", str(sum(self.chunks)))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        self.wfile.flush()
        for i, size in enumerate(self.chunks):
            if i:
                time.sleep(self.pause)
            try:
                self.wfile.write(b"M" * size)
                self.wfile.flush()
            except OSError:
                return  # the client went away


class File(Recorder):
    """Serves one file of the disk."""

    path_on_disk = ""

    def reply(self):
        with open(self.path_on_disk, "rb") as f:
            self.send(200, "OK", f.read())


def serve(handler, **attributes):
    cls = type(handler.__name__, (handler,), attributes)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), cls)
    server.seen = []
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def unused_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    servers = {
        "newer": serve(Recorder, body=b"3.8.7.0"),
        "equal": serve(Recorder, body=b"3.8.6.116"),
        "older": serve(Recorder, body=b"3.8.5.200"),
        "garbage": serve(Recorder, body=b"<html><body>Hello</body></html>"),
        "error500": serve(Recorder, status=500, reason="Internal Server Error", body=b"3.9.0.0"),
    }
    servers["size102399"] = serve(Installer, size=102399)
    servers["size102400"] = serve(Installer, size=102400)
    servers["nolength"] = serve(Installer, size=300000, announce=False)
    servers["cut"] = serve(Installer, size=300000, cut_at=120000)
    servers["slow"] = serve(Slow, chunks=(100000, 100000, 100000))
    servers["trickle"] = serve(Slow, chunks=(40, 40, 40, 102400), announce=False)
    installers = os.environ.get("PURGELLO_TEST_INSTALLERS")
    if installers:
        for name in ("signed", "unsigned", "tampered", "foreign"):
            servers[name] = serve(File, path_on_disk=os.path.join(installers, name + ".exe"))
    newer_port = servers["newer"].server_address[1]
    servers["redirect"] = serve(Recorder, status=302, reason="Found",
                                reply_headers=[("Location", f"http://127.0.0.1:{newer_port}/pylo/check.php?moved=1")])
    servers["proxy"] = serve(Proxy, servers=servers, routes={"check": "newer", "files": "newer"})
    ports = {name: server.server_address[1] for name, server in servers.items()}
    ports["refused"] = unused_port()
    env = dict(os.environ)
    env["PURGELLO_TEST_SERVERS"] = ",".join(f"{name}={port}" for name, port in ports.items())
    try:
        status = subprocess.call(sys.argv[1:], env=env)
    finally:
        for server in servers.values():
            server.shutdown()
            server.server_close()
    sys.exit(status)


if __name__ == "__main__":
    main()
