#!/usr/bin/env python3
"""The vendor's web site as the installed program reaches it, on loopback,
around one test program:
  python3 vendor_site.py HOST VERSION NAME=INSTALLER... -- COMMAND [ARGS...]

Makes a throw-away certificate authority and a certificate for HOST with
openssl, and starts on 127.0.0.1 an HTTPS server for HOST that answers the
update check (/pylo/check.php) with VERSION and the download
(/files/purgello_lite.exe) with one of the named installers, and an HTTP
proxy without credentials that tunnels CONNECT to it whatever the host
asked for (HOST resolves nowhere: the program gets there only through its
proxy settings). Asked directly, the proxy answers GET /serve?NAME by
serving that installer from then on (none until then: 404), and GET /seen
with the request lines the site and the proxy have received, one a line.

Runs COMMAND with PURGELLO_TEST_SERVERS="proxy=PORT" and
PURGELLO_TEST_TLS_ROOT (the authority's certificate, DER, for the test to
trust), stops everything, removes the certificates and exits with COMMAND's
status."""

import http.server
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import urllib.parse

seen = []
seen_lock = threading.Lock()


def note(line):
    with seen_lock:
        seen.append(line)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder, host):
    """The authority (DER, for the test) and the site's chain and key (PEM)."""
    root_key, root = f"{folder}/root.key", f"{folder}/root.pem"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", root_key, "-out", root, "-days", "2",
        "-subj", "/CN=Purgello vendor site test root", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("openssl", "x509", "-in", root, "-outform", "DER", "-out", f"{folder}/root.der")
    key, request, cert = f"{folder}/site.key", f"{folder}/site.csr", f"{folder}/site.pem"
    run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request, "-subj", f"/CN={host}")
    # Wine matches the host against the alternative names only.
    with open(f"{folder}/site.cnf", "w") as f:
        f.write(f"basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                f"extendedKeyUsage=serverAuth\nsubjectAltName=DNS:{host}\n")
    run("openssl", "x509", "-req", "-in", request, "-CA", root, "-CAkey", root_key, "-CAcreateserial", "-out", cert,
        "-days", "2", "-extfile", f"{folder}/site.cnf")
    return f"{folder}/root.der", cert, key


class Site(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    version = b""
    installers = {}
    serving = [None]  # the installer's name, set through the proxy

    def log_message(self, *args):
        pass

    def send(self, status, reason, body, content_type="text/plain"):
        self.send_response(status, reason)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        note("site " + self.requestline)
        # Wine names the scheme and host in the request line inside the tunnel too.
        path = urllib.parse.urlsplit(self.path).path
        if path == "/pylo/check.php":
            self.send(200, "OK", self.version)
        elif path == "/files/purgello_lite.exe" and self.serving[0]:
            with open(self.installers[self.serving[0]], "rb") as f:
                self.send(200, "OK", f.read(), "application/octet-stream")
        else:
            self.send(404, "Not Found", b"")


def pump(source, target):
    try:
        while chunk := source.recv(65536):
            target.sendall(chunk)
    except OSError:
        pass
    finally:
        for s in (source, target):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass


class Proxy(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    site_port = 0

    def log_message(self, *args):
        pass

    def send(self, status, reason, body):
        self.send_response(status, reason)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_CONNECT(self):
        note("proxy " + self.requestline)
        upstream = socket.create_connection(("127.0.0.1", self.site_port))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        other = threading.Thread(target=pump, args=(upstream, self.connection), daemon=True)
        other.start()
        pump(self.connection, upstream)
        other.join(30)
        upstream.close()
        self.close_connection = True

    def do_GET(self):
        if self.path == "/seen":
            with seen_lock:
                self.send(200, "OK", "".join(line + "\n" for line in seen).encode())
        elif self.path.startswith("/serve?") and self.path[len("/serve?"):] in Site.installers:
            Site.serving[0] = self.path[len("/serve?"):]
            self.send(200, "OK", b"")
        else:
            note("proxy " + self.requestline)
            self.send(400, "Bad Request", b"")


def serve(server):
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main():
    separator = sys.argv.index("--")
    host, version, *named = sys.argv[1:separator]
    command = sys.argv[separator + 1:]
    Site.version = version.encode()
    Site.installers = dict(item.split("=", 1) for item in named)
    folder = tempfile.mkdtemp(prefix="purgello-site-")
    servers = []
    try:
        root_der, cert, key = make_certificates(folder, host)
        site = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        site.socket = context.wrap_socket(site.socket, server_side=True)
        servers.append(serve(site))
        Proxy.site_port = site.server_address[1]
        proxy = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Proxy)
        servers.append(serve(proxy))
        env = dict(os.environ, PURGELLO_TEST_SERVERS=f"proxy={proxy.server_address[1]}",
                   PURGELLO_TEST_TLS_ROOT=root_der)
        status = subprocess.call(command, env=env)
    finally:
        for server in servers:
            server.shutdown()
            server.server_close()
        shutil.rmtree(folder, ignore_errors=True)
    sys.exit(status)


if __name__ == "__main__":
    main()
