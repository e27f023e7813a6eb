#!/usr/bin/env python3
"""Loopback servers for the update tests, started and stopped around one test
program:
  python3 update_servers.py [--tls-host NAME] [--installer NAME=FILE]... COMMAND [ARGS...]

Starts, on 127.0.0.1 only, one small HTTP server per reply the tests want
(update checks, and installers of chosen sizes, without a length, cut short
or sent slowly; with PURGELLO_TEST_INSTALLERS set, the signed and unsigned
installers of tests/installer/sign_installers.py, one server each, and each
--installer's FILE, served by a server of that NAME), "stalled",
which takes a connection and its request and never answers, "stalled_body",
which stops sending a body after its first bytes, "unanswered", a port where a
connection is never set up, and an HTTP proxy that demands Basic credentials. Runs COMMAND with PURGELLO_TEST_SERVERS set to
"name=port,..." (a name with no server behind it, "refused", is a port nobody
listens on), stops everything and exits with COMMAND's status. Every HTTP
server answers GET /seen with the request lines it has received, one a line,
so a test can see what reached it.

The vendor's server over TLS: two HTTPS servers, "https" with a certificate
issued by a throw-away authority whose root the test may trust
(PURGELLO_TEST_TLS names the folder that holds it, tls_root.der), and
"https_unknown" with one of an authority nobody trusts. Their certificates
name www.vendor.test and the --tls-host name (Wine matches only DNS names);
PURGELLO_TEST_TLS_HOST is the latter, or the former without the option. They
answer as the proxy's routes say. The proxy tunnels a CONNECT, for any host,
to the "https" server (or the one GET /route?tunnel=NAME names); Wine's
WinHTTP sends no proxy credentials on a CONNECT, so a tunnel asks for none."""

import base64
import http.server
import os
import select
import shutil
import socket
import socketserver
import ssl
import subprocess
import sys
import tempfile
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


def forward(servers, routes, path, host):
    """The answer of the server the routes name for path ("/files/..." by
    "files", anything else by "check"): status, reason and body. A route
    "reply:TEXT" answers TEXT itself, "after:SECONDS:TEXT" the same once
    SECONDS have passed (a reply still on its way while the client moves on)."""
    route = routes["files" if path.startswith("/files/") else "check"]
    if route.startswith("reply:"):
        return 200, "OK", route[len("reply:"):].encode()
    if route.startswith("after:"):
        seconds, _, text = route[len("after:"):].partition(":")
        time.sleep(float(seconds))
        return 200, "OK", text.encode()
    target = servers[route]
    with socket.create_connection(("127.0.0.1", target.server_address[1])) as upstream:
        upstream.sendall(f"GET {path} HTTP/1.0\r\nHost: {host}\r\n\r\n".encode())
        answer = b""
        while chunk := upstream.recv(65536):
            answer += chunk
    head, _, body = answer.partition(b"\r\n\r\n")
    status_line = head.split(b"\r\n")[0].decode().split(" ", 2)
    return int(status_line[1]), status_line[2], body


class Proxy(Recorder):
    """Forwards absolute-URI requests for any host to the servers of its routes:
    "/files/..." to one, everything else (the update check) to another; the
    "newer" server for both until GET /route?check=NAME&files=NAME (asked of
    the proxy directly) names others. Tunnels a CONNECT to routes["tunnel"]."""

    servers = {}
    routes = {}

    def do_GET(self):
        if self.path.startswith("/route?"):
            for item in self.path[len("/route?"):].split("&"):
                key, _, name = item.partition("=")
                self.routes[key] = name
            self.send(200, "OK", b"")
            return
        super().do_GET()

    def do_CONNECT(self):
        self.server.seen.append(self.requestline + " | " + self.headers.get("Proxy-Authorization", "-"))
        target = self.servers[self.routes["tunnel"]]
        upstream = socket.create_connection(("127.0.0.1", target.server_address[1]))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        self.close_connection = True
        peers = {self.connection: upstream, upstream: self.connection}
        try:
            while True:
                readable, _, _ = select.select(list(peers), [], [], 120)
                if not readable:
                    return
                for side in readable:
                    data = side.recv(65536)
                    if not data:
                        return
                    peers[side].sendall(data)
        except OSError:
            return
        finally:
            upstream.close()

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
        self.send(*forward(self.servers, self.routes, "/" + rest, host_and_port.split(":")[0]))


class Origin(Recorder):
    """The vendor's server: answers as the server the routes name would. It
    closes every connection after its answer: Wine's WinHTTP shares its
    connections across the whole process and would otherwise send the next
    request through a tunnel the routes no longer name."""

    servers = {}
    routes = {}

    def reply(self):
        self.close_connection = True
        # Wine names the scheme and host in the request line inside a tunnel too.
        path = self.path
        if "://" in path:
            path = "/" + path.split("://", 1)[1].partition("/")[2]
        status, reason, body = forward(self.servers, self.routes, path, self.headers.get("Host", ""))
        self.send(status, reason, body, [("Connection", "close")])


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


class StalledBody(Recorder):
    """Announces a large body, sends a little of it, then nothing more until
    the client goes."""

    def reply(self):
        self.send_response(200, "OK")
        self.send_header("Content-Length", "300000")
        self.end_headers()
        self.wfile.write(b"M" * 1000)
        self.wfile.flush()
        self.close_connection = True
        try:
            while self.connection.recv(65536):
                pass
        except OSError:
            pass


class File(Recorder):
    """Serves one file of the disk."""

    path_on_disk = ""

    def reply(self):
        with open(self.path_on_disk, "rb") as f:
            self.send(200, "OK", f.read())


class Stalled(socketserver.BaseRequestHandler):
    """Takes the connection and the request, then says nothing until the client goes."""

    def handle(self):
        try:
            while self.request.recv(65536):
                pass
        except OSError:
            pass


def serve(handler, tls=None, **attributes):
    """A server of its own thread; tls: (certificate chain, key) files."""
    cls = type(handler.__name__, (handler,), attributes)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), cls)
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.seen = []
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def serve_stalled():
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Stalled)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def listen_unanswered():
    """A port whose queue of connections is full and never taken from: a
    connection to it is never set up (the system drops the attempts)."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(0)
    fillers = []
    for _ in range(3):
        filler = socket.socket()
        filler.setblocking(False)
        filler.connect_ex(listener.getsockname())
        fillers.append(filler)
    time.sleep(0.2)
    return listener, fillers


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def server_certificate(folder, name, hosts):
    """A throw-away authority and a server certificate it issued for hosts:
    the chain and key files, and the authority's root."""
    root_key, root = f"{folder}/{name}_root.key", f"{folder}/{name}_root.pem"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", root_key, "-out", root, "-days", "30",
        "-subj", f"/CN=Purgello {name} TLS test root", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    key, request, cert = (f"{folder}/{name}_server.{ext}" for ext in ("key", "csr", "pem"))
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request,
        "-subj", f"/CN={hosts[0]}")
    extensions = f"{folder}/{name}_ext.cnf"
    with open(extensions, "w") as f:
        f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                "extendedKeyUsage=serverAuth\nsubjectAltName=" + ",".join("DNS:" + h for h in hosts) + "\n")
    run("openssl", "x509", "-req", "-in", request, "-CA", root, "-CAkey", root_key, "-CAcreateserial", "-out", cert,
        "-days", "30", "-extfile", extensions)
    chain = f"{folder}/{name}_chain.pem"
    with open(chain, "w") as f:
        f.write(open(cert).read() + open(root).read())
    run("openssl", "x509", "-in", root, "-outform", "DER", "-out", f"{folder}/{name}_root.der")
    return chain, key


def unused_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    args = sys.argv[1:]
    tls_host = "www.vendor.test"
    hosts = [tls_host]
    named_installers = []
    while args[:1] in (["--tls-host"], ["--installer"]):
        if args[0] == "--tls-host":
            tls_host = args[1]
            hosts.append(tls_host)
        else:
            named_installers.append(args[1].split("=", 1))
        args = args[2:]
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
    for name, path in named_installers:
        servers[name] = serve(File, path_on_disk=path)
    servers["stalled"] = serve_stalled()
    servers["stalled_body"] = serve(StalledBody)
    unanswered, fillers = listen_unanswered()
    newer_port = servers["newer"].server_address[1]
    servers["redirect"] = serve(Recorder, status=302, reason="Found",
                                reply_headers=[("Location", f"http://127.0.0.1:{newer_port}/pylo/check.php?moved=1")])
    routes = {"check": "newer", "files": "newer", "tunnel": "https"}
    tls_folder = tempfile.mkdtemp(prefix="purgello-tls-")
    try:
        servers["https"] = serve(Origin, tls=server_certificate(tls_folder, "tls", hosts), servers=servers,
                                 routes=routes)
        servers["https_unknown"] = serve(Origin, tls=server_certificate(tls_folder, "unknown", hosts),
                                         servers=servers, routes=routes)
        servers["proxy"] = serve(Proxy, servers=servers, routes=routes)
        ports = {name: server.server_address[1] for name, server in servers.items()}
        ports["refused"] = unused_port()
        ports["unanswered"] = unanswered.getsockname()[1]
        env = dict(os.environ, PURGELLO_TEST_TLS=tls_folder, PURGELLO_TEST_TLS_HOST=tls_host)
        env["PURGELLO_TEST_SERVERS"] = ",".join(f"{name}={port}" for name, port in ports.items())
        status = subprocess.call(args, env=env)
    finally:
        for server in servers.values():
            server.shutdown()
            server.server_close()
        shutil.rmtree(tls_folder, ignore_errors=True)
        for sock in [unanswered] + fillers:
            sock.close()
    sys.exit(status)


if __name__ == "__main__":
    main()
