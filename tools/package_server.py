#!/usr/bin/env python3
"""A local package server for tests and demo runs of the installer.

Serves the setup package at the package endpoint ("/caller?c=site&a=downloadPackage&...",
target "package") and at the fallback path "/brightmere/brightmereSetup.exe" (target
"fallback"), over plain http and, with a certificate, over https on a second port (and a third
port with a certificate nobody trusts). A third path, "/plain/brightmereSetup.exe" (target
"plain"), always serves the package: the place a redirect can lead to. Each target can be
switched to misbehave, and the http and https ports can be closed and opened again:

  GET /_control/set?target=package&mode=MODE[&arg=ARG]   switch one target
  GET /_control/counts                                   "fallback=M\\npackage=N\\nplain=P\\n"
  GET /_control/requests                                 the package requests' paths, a line each
  GET /_control/reset                                    every target "ok", counts 0, ports open
  GET /_control/listen?port=http|https&on=0|1            close a port (nothing listens) or reopen it

Control requests are answered on every port, and on --control-port alone when given (the way
to reach the server while both package ports are closed).

Modes: ok, status (arg: code, e.g. 404), html (200 with a small page), size (arg: bytes; the
package cut or zero-padded to that length), nolength (the package without a Content-Length),
notmz (the package with its first two bytes changed), slow (arg: bytes per second), stall
(arg: bytes sent before the server goes silent), reset (arg: bytes sent before the connection
is reset), close (connection closed without an answer), redirect (arg: the Location), endless
(the package without a Content-Length, then zero bytes without end, until the client goes),
file (arg: the path of another package to serve, e.g. an older one).

The chosen ports are written to --port-file as "http=P", "https=P", "untrusted=P" and
"control=P" lines once the server listens. A demo run fixes the ports (--http-port,
--https-port) to match the installer's package and fallback hosts. Python standard library only.
"""
import argparse
import http.server
import os
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse

FALLBACK_PATH = "/brightmere/brightmereSetup.exe"
PACKAGE_PATH = None  # --package-path: another product's package endpoint, any query
PLAIN_PATH = "/plain/brightmereSetup.exe"
CHUNK = 64 * 1024


class State:
    def __init__(self, package_path):
        with open(package_path, "rb") as f:
            self.package = f.read()
        self.lock = threading.Lock()
        self.shutdown = threading.Event()
        self.ports = None  # set by main
        self.reset()

    def reset(self):
        with self.lock:
            self.modes = {"package": ("ok", ""), "fallback": ("ok", ""), "plain": ("ok", "")}
            self.counts = {"package": 0, "fallback": 0, "plain": 0}
            self.requests = []
        if self.ports:
            for name in self.ports.names():
                self.ports.listen(name, True)

    def hit(self, target, path):
        with self.lock:
            self.counts[target] += 1
            if target == "package":
                self.requests.append(path)
            return self.modes[target]


def target_of(url):
    parsed = urllib.parse.urlsplit(url)
    if parsed.path == FALLBACK_PATH:
        return "fallback"
    if parsed.path == PLAIN_PATH:
        return "plain"
    if PACKAGE_PATH is not None:
        return "package" if parsed.path == PACKAGE_PATH else None
    query = urllib.parse.parse_qs(parsed.query)
    if parsed.path == "/caller" and query.get("c") == ["site"] and query.get("a") == ["downloadPackage"]:
        return "package"
    return None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    state = None  # set by main

    def log_message(self, fmt, *args):
        if os.environ.get("PACKAGE_SERVER_VERBOSE"):
            sys.stderr.write("package_server: " + fmt % args + "\n")

    def do_GET(self):
        if self.path.startswith("/_control/"):
            return self.control()
        target = target_of(self.path)
        if target is None:
            return self.send_body(404, b"not found", "text/plain")
        mode, arg = self.state.hit(target, self.path)
        getattr(self, "mode_" + mode)(arg)

    def control(self):
        parsed = urllib.parse.urlsplit(self.path)
        query = {k: v[0] for k, v in urllib.parse.parse_qs(parsed.query).items()}
        if parsed.path == "/_control/set":
            target, mode = query.get("target"), query.get("mode")
            if target not in ("package", "fallback") or not hasattr(self, "mode_" + str(mode)):
                return self.send_body(400, b"bad target or mode", "text/plain")
            with self.state.lock:
                self.state.modes[target] = (mode, query.get("arg", ""))
            return self.send_body(200, b"ok", "text/plain")
        if parsed.path == "/_control/counts":
            with self.state.lock:
                text = "".join("%s=%d\n" % kv for kv in sorted(self.state.counts.items()))
            return self.send_body(200, text.encode(), "text/plain")
        if parsed.path == "/_control/requests":
            with self.state.lock:
                text = "".join(path + "\n" for path in self.state.requests)
            return self.send_body(200, text.encode(), "text/plain")
        if parsed.path == "/_control/reset":
            self.state.reset()
            return self.send_body(200, b"ok", "text/plain")
        if parsed.path == "/_control/listen":
            port, on = query.get("port"), query.get("on") == "1"
            if port not in self.state.ports.names():
                return self.send_body(400, b"unknown port", "text/plain")
            self.state.ports.listen(port, on)
            return self.send_body(200, b"ok", "text/plain")
        return self.send_body(404, b"unknown control", "text/plain")

    def send_body(self, code, body, content_type="application/octet-stream", pace=None,
                  stop_after=None, on_stop=None):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        limit = len(body) if stop_after is None else min(stop_after, len(body))
        sent = 0
        while sent < limit:
            end = min(limit, sent + (pace or CHUNK))
            self.wfile.write(body[sent:end])
            self.wfile.flush()
            sent = end
            if pace and sent < limit and self.state.shutdown.wait(1.0):
                return
        if stop_after is not None:
            on_stop()

    def mode_ok(self, arg):
        self.send_body(200, self.state.package)

    def mode_status(self, arg):
        code = int(arg or 404)
        self.send_body(code, b"<html><body>error %d</body></html>" % code, "text/html")

    def mode_html(self, arg):
        self.send_body(200, b"<!DOCTYPE html><html><body>Service busy</body></html>", "text/html")

    def mode_size(self, arg):
        size = int(arg)
        body = self.state.package[:size]
        self.send_body(200, body + b"\0" * (size - len(body)))

    def mode_file(self, arg):
        with open(arg, "rb") as f:
            self.send_body(200, f.read())

    def mode_notmz(self, arg):
        self.send_body(200, b"<!" + self.state.package[2:])

    def mode_slow(self, arg):
        self.send_body(200, self.state.package, pace=int(arg or 1048576))

    def mode_stall(self, arg):
        def go_silent():
            self.state.shutdown.wait(600)
            self.close_connection = True
        self.send_body(200, self.state.package, stop_after=int(arg or 0), on_stop=go_silent)

    def mode_reset(self, arg):
        def reset():
            # A zero linger time makes close() send RST instead of FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        self.send_body(200, self.state.package, stop_after=int(arg or 0), on_stop=reset)

    def mode_close(self, arg):
        self.close_connection = True
        self.connection.close()

    def mode_nolength(self, arg):
        # No Content-Length: the body ends when the connection closes.
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(self.state.package)
        self.wfile.flush()
        self.close_connection = True

    def mode_endless(self, arg):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        self.end_headers()
        zeros = b"\0" * CHUNK
        try:
            self.wfile.write(self.state.package)
            while not self.state.shutdown.is_set():
                self.wfile.write(zeros)
        except OSError:
            pass  # the client gave up, as it should
        self.close_connection = True

    def mode_redirect(self, arg):
        self.send_response(302)
        self.send_header("Location", arg)
        self.send_header("Content-Length", "0")
        self.end_headers()


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # clients that abort mid-transfer are part of the tests


class ControlHandler(Handler):
    def do_GET(self):
        if not self.path.startswith("/_control/"):
            return self.send_body(404, b"control only", "text/plain")
        return self.control()


def tls_server(cert, key, port=0):
    server = Server(("127.0.0.1", port), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    return server


class Ports:
    """The listening servers by name. A closed port is made again on the same number, so a
    client sees "connection refused" while it is closed and the usual server once reopened."""

    def __init__(self, makers, numbers):
        self.lock = threading.Lock()
        self.makers = makers
        self.numbers = {}
        self.servers = {}
        for name, make in makers.items():
            self.servers[name] = self.start(make(numbers.get(name, 0)))
            self.numbers[name] = self.servers[name].server_address[1]

    @staticmethod
    def start(server):
        threading.Thread(target=server.serve_forever, daemon=True).start()
        return server

    def names(self):
        return [name for name in self.makers if name in ("http", "https")]

    def listen(self, name, on):
        with self.lock:
            server = self.servers[name]
            if on and server is None:
                self.servers[name] = self.start(self.makers[name](self.numbers[name]))
            elif not on and server is not None:
                server.shutdown()
                server.server_close()
                self.servers[name] = None

    def close_all(self):
        with self.lock:
            for server in self.servers.values():
                if server is not None:
                    server.shutdown()


def main():
    global PACKAGE_PATH, FALLBACK_PATH
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--package", required=True)
    parser.add_argument("--package-path", help="the package endpoint's path (default /caller?c=site&a=downloadPackage)")
    parser.add_argument("--fallback-path", help="the fallback path (default %s)" % FALLBACK_PATH)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--http-port", type=int, default=0)
    parser.add_argument("--https-port", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--untrusted-cert")
    parser.add_argument("--untrusted-key")
    parser.add_argument("--control-port", type=int, default=0,
                        help="a port of its own for the control requests (0: none)")
    args = parser.parse_args()

    PACKAGE_PATH = args.package_path
    FALLBACK_PATH = args.fallback_path or FALLBACK_PATH
    state = State(args.package)
    Handler.state = state
    makers = {"http": lambda port: Server(("127.0.0.1", port), Handler)}
    if args.cert:
        makers["https"] = lambda port: tls_server(args.cert, args.key, port)
    if args.untrusted_cert:
        makers["untrusted"] = lambda port: tls_server(args.untrusted_cert, args.untrusted_key, port)
    if args.control_port:
        makers["control"] = lambda port: Server(("127.0.0.1", port), ControlHandler)
    ports = Ports(makers, {"http": args.http_port, "https": args.https_port,
                           "control": args.control_port})
    state.ports = ports

    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        for name, number in ports.numbers.items():
            f.write("%s=%d\n" % (name, number))
    os.replace(tmp, args.port_file)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(0.5):
        pass
    state.shutdown.set()
    ports.close_all()


if __name__ == "__main__":
    main()
