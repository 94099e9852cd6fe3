#!/usr/bin/env python3
"""A local stand-in for the reporting endpoint, for tests and demos.

  report_collector.py serve [--port 0] [--port-file F] [--log reports.jsonl] [--mode ok]
  report_collector.py summary reports.jsonl

`serve` listens on 127.0.0.1 and accepts `POST /caller?c=site&a=writelog`. Each request
becomes one JSON line in the log: the request line, the raw header lines in order, the
cookies, the body (bytes as Latin-1 text, so it round-trips), and the decoded report
("log=" + Base64 -> UTF-8 -> JSON) with whether its text was valid JSON.

How it answers is switchable, on the command line (--mode) and while running:
  GET /_control?mode=ok|500|redirect|hang|close|reset|flood[&count=N]
      ok       200 "ok"
      flood    200 with a body of 4 MiB
      500      500 with a short body
      redirect 302 to /elsewhere
      hang     reads the request, answers nothing, holds the connection until released
               (a later /_control call, or --hang-seconds) and then closes it
      close    reads the request and closes the connection without answering
      reset    reads the request and resets the connection (RST) without answering
    With count=N the mode applies to the next N reports, then it returns to "ok".
  GET /_control?reset=1    forget the recorded reports (the log file keeps them), mode ok
  GET /_control?busy=1     how many other connections are still being handled; since
                           connections are accepted in arrival order, 0 means every
                           connection that arrived before this one has been answered
  GET /_records            the reports since the last reset in a line format for tests
                           (see records_text); /_records?format=json gives JSON lines
Control requests are not recorded.

`summary` prints the number of reports per event and the exit-survey answers (the
"btn_exit" values that start with "Start ").
"""

import argparse
import base64
import binascii
import collections
import json
import os
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

MODES = ("ok", "500", "redirect", "hang", "close", "reset", "flood")


class Collector:
    """Shared state of the server: the answer mode, the recorded reports, the log file."""

    def __init__(self, log_path, mode, hang_seconds):
        self.lock = threading.Lock()
        self.log_path = log_path
        self.mode = mode
        self.mode_count = -1  # -1: until changed
        self.hang_seconds = hang_seconds
        self.path = "/caller"
        self.release = threading.Event()
        self.records = []
        self.seq = 0
        self.open_connections = 0

    def take_mode(self):
        """The answer for the next report, and the event that releases it if it hangs."""
        with self.lock:
            mode = self.mode
            if self.mode_count > 0:
                self.mode_count -= 1
                if self.mode_count == 0:
                    self.mode, self.mode_count = "ok", -1
            return mode, self.release

    def set_mode(self, mode, count):
        with self.lock:
            self.mode, self.mode_count = mode, count
            # Connections held by an earlier "hang" are let go.
            self.release.set()
            self.release = threading.Event()

    def reset(self):
        with self.lock:
            self.records = []
        self.set_mode("ok", -1)

    def add(self, record):
        with self.lock:
            self.seq += 1
            record["seq"] = self.seq
            self.records.append(record)
            if self.log_path:
                with open(self.log_path, "a", encoding="utf-8") as f:
                    f.write(json.dumps(record, ensure_ascii=False) + "\n")

    def snapshot(self):
        with self.lock:
            return list(self.records)


def parse_cookies(header_lines):
    cookies = []
    for line in header_lines:
        name, _, value = line.partition(":")
        if name.strip().lower() != "cookie":
            continue
        for pair in value.strip().split(";"):
            if pair:
                k, _, v = pair.partition("=")
                cookies.append([k, v])
    return cookies


def decode_body(body):
    """Returns the decoded-report part of a record for a "log=" + Base64 body."""
    out = {"report_text": None, "report_json_valid": False, "report": None, "error": None}
    if not body.startswith(b"log="):
        out["error"] = "body does not start with log="
        return out
    try:
        raw = base64.b64decode(body[4:], validate=True)
    except (binascii.Error, ValueError) as e:
        out["error"] = "bad base64: %s" % e
        return out
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        out["error"] = "not UTF-8: %s" % e
        text = raw.decode("utf-8", errors="replace")
    out["report_text"] = text
    try:
        out["report"] = json.loads(text)
        out["report_json_valid"] = isinstance(out["report"], dict)
    except ValueError as e:
        out["error"] = out["error"] or "not JSON: %s" % e
    return out


def escape_line(text):
    """One-line form of a text: backslash and control characters escaped as \\\\, \\xNN."""
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            out.append("\\x%02x" % ord(ch))
        else:
            out.append(ch)
    return "".join(out)


def records_text(records):
    """The test format: per report a block of lines, each "<tag> <value>":
         N <seq>          A <answer mode>      L <request line>
         H <header line>  (each, in order)     B <body>
         R <report text>  J true|false         D <data key>=<data value> (each, in order)
         E <error>        .  (end of block)
    Values are escaped by escape_line; the text is UTF-8."""
    lines = []
    for r in records:
        lines.append("N %d" % r["seq"])
        lines.append("A %s" % r["answer"])
        lines.append("L " + escape_line(r["request_line"]))
        lines.extend("H " + escape_line(h) for h in r["headers"])
        lines.append("B " + escape_line(r["body"]))
        if r["report_text"] is not None:
            lines.append("R " + escape_line(r["report_text"]))
        lines.append("J %s" % ("true" if r["report_json_valid"] else "false"))
        data = (r["report"] or {}).get("data") if r["report_json_valid"] else None
        if isinstance(data, dict):
            for k, v in data.items():
                lines.append("D " + escape_line("%s=%s" % (k, v)))
        if r["error"]:
            lines.append("E " + escape_line(r["error"]))
        lines.append(".")
    return "\n".join(lines) + "\n"


class Handler(socketserver.StreamRequestHandler):
    timeout = 60

    def read_request(self):
        request_line = self.rfile.readline(65537)
        if not request_line:
            return None
        headers = []
        while True:
            line = self.rfile.readline(65537)
            if line in (b"\r\n", b"\n", b""):
                break
            headers.append(line.rstrip(b"\r\n").decode("latin-1"))
        length = 0
        chunked = False
        expect = False
        for h in headers:
            name, _, value = h.partition(":")
            name, value = name.strip().lower(), value.strip()
            if name == "content-length":
                length = int(value)
            elif name == "transfer-encoding" and "chunked" in value.lower():
                chunked = True
            elif name == "expect" and value.lower() == "100-continue":
                expect = True
        if expect:
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
            self.wfile.flush()
        if chunked:
            body = b""
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    self.rfile.readline()
                    break
                body += self.rfile.read(size)
                self.rfile.readline()
        else:
            body = self.rfile.read(length) if length else b""
        return request_line.rstrip(b"\r\n").decode("latin-1"), headers, body

    def answer(self, status, reason, body=b"", extra=()):
        head = ["HTTP/1.1 %d %s" % (status, reason), "Content-Length: %d" % len(body),
                "Connection: close"] + list(extra)
        self.wfile.write(("\r\n".join(head) + "\r\n\r\n").encode("latin-1") + body)
        self.wfile.flush()

    def handle(self):
        collector = self.server.collector
        try:
            request = self.read_request()
        except (OSError, ValueError):
            return
        if request is None:
            return
        request_line, headers, body = request
        parts = request_line.split(" ")
        method = parts[0]
        target = parts[1] if len(parts) > 1 else ""
        url = urllib.parse.urlsplit(target)
        query = urllib.parse.parse_qs(url.query)

        if url.path == "/_control":
            if "busy" in query:
                with collector.lock:
                    busy = collector.open_connections - 1  # not this one
                self.answer(200, "OK", b"%d\n" % busy)
                return
            if "reset" in query:
                collector.reset()
            if "mode" in query:
                mode = query["mode"][0]
                if mode not in MODES:
                    self.answer(400, "Bad Request", b"unknown mode\n")
                    return
                collector.set_mode(mode, int(query.get("count", ["-1"])[0]))
            self.answer(200, "OK", b"ok\n")
            return
        if url.path == "/_records":
            records = collector.snapshot()
            if query.get("format", [""])[0] == "json":
                text = "".join(json.dumps(r, ensure_ascii=False) + "\n" for r in records)
            else:
                text = records_text(records)
            self.answer(200, "OK", text.encode("utf-8"),
                        ["Content-Type: text/plain; charset=utf-8"])
            return

        mode, release = collector.take_mode()
        record = {
            "time": time.strftime("%Y-%m-%dT%H:%M:%S"),
            "answer": mode,
            "request_line": request_line,
            "method": method,
            "path": url.path,
            "query": url.query,
            "headers": headers,
            "cookies": parse_cookies(headers),
            "body": body.decode("latin-1"),
        }
        record.update(decode_body(body))
        collector.add(record)

        if method != "POST" or url.path != collector.path:
            self.answer(404, "Not Found", b"not found\n")
        elif mode == "ok":
            self.answer(200, "OK", b"ok")
        elif mode == "flood":
            self.answer(200, "OK", b"x" * (4 << 20))
        elif mode == "500":
            self.answer(500, "Internal Server Error", b"failure")
        elif mode == "redirect":
            self.answer(302, "Found", b"", ["Location: /elsewhere"])
        elif mode == "hang":
            release.wait(collector.hang_seconds)
        elif mode == "reset":
            # A zero linger time makes close() send RST instead of FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
        # "close" and a released "hang": drop the connection without a word.


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    # Counted on the accepting thread, so that a connection is counted from its accept on.
    def process_request(self, request, client_address):
        with self.collector.lock:
            self.collector.open_connections += 1
        super().process_request(request, client_address)

    def shutdown_request(self, request):
        try:
            super().shutdown_request(request)
        finally:
            with self.collector.lock:
                self.collector.open_connections -= 1


def serve(args):
    collector = Collector(args.log, args.mode, args.hang_seconds)
    server = Server(("127.0.0.1", args.port), Handler)
    collector.path = args.path
    server.collector = collector
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("report collector on 127.0.0.1:%d" % port, flush=True)
    if args.exit_with_parent:
        # A test runner that is killed on a time-out must not leave the collector behind.
        parent = os.getppid()

        def watch_parent():
            while os.getppid() == parent:
                time.sleep(1)
            server.shutdown()

        threading.Thread(target=watch_parent, daemon=True).start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        collector.set_mode(collector.mode, -1)  # let hanging handlers go
        server.server_close()


def summary(args):
    events = collections.Counter()
    answers = []
    invalid = 0
    total = 0
    with open(args.log, encoding="utf-8") as f:
        for line in f:
            if not line.strip():
                continue
            record = json.loads(line)
            total += 1
            if not record.get("report_json_valid"):
                invalid += 1
                continue
            report = record["report"]
            data = report.get("data") or {}
            key = report.get("eventId", "?")
            if "ClickSrc" in data:
                key += " ClickSrc=" + data["ClickSrc"]
            elif "btn_exit" in data and not data["btn_exit"].startswith("Start "):
                key += " btn_exit=" + data["btn_exit"]
            elif "result" in data:
                key += " result=" + data["result"]
            events[key] += 1
            exit_value = data.get("btn_exit", "")
            if exit_value.startswith("Start "):
                answers.append(exit_value[len("Start "):])
    print("%d requests, %d without a readable report" % (total, invalid))
    print("Reports per event:")
    for key, count in sorted(events.items()):
        print("  %5d  %s" % (count, key))
    print("Exit survey answers (%d):" % len(answers))
    for a in answers:
        print("  " + escape_line(a))
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description="Local collector of usage reports.")
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("serve", help="run the collector")
    p.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free one)")
    p.add_argument("--port-file", help="write the port to this file once listening")
    p.add_argument("--log", help="append one JSON line per report to this file")
    p.add_argument("--mode", choices=MODES, default="ok", help="how to answer reports")
    p.add_argument("--path", default="/caller", help="the path reports are posted to")
    p.add_argument("--hang-seconds", type=float, default=120,
                   help="longest time a 'hang' answer holds a connection")
    p.add_argument("--exit-with-parent", action="store_true",
                   help="stop when the process that started the collector ends")
    p = sub.add_parser("summary", help="reports per event and the survey answers")
    p.add_argument("log", help="a log written by serve --log")
    args = parser.parse_args(argv)
    if args.command == "serve":
        serve(args)
        return 0
    return summary(args)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
