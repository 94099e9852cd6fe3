#!/usr/bin/env python3
"""The local package server (tools/package_server.py) as the fault tests drive it: a real
server process on 127.0.0.1, real HTTP requests; the ports it closes must really refuse."""

import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "..", "tools", "package_server.py")
PACKAGE = b"MZ" + bytes(range(256)) * 64


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PackageServerTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        package = os.path.join(self.dir.name, "setup.exe")
        with open(package, "wb") as f:
            f.write(PACKAGE)
        port_file = os.path.join(self.dir.name, "ports")
        self.server = subprocess.Popen(
            [sys.executable, SERVER, "--package", package, "--port-file", port_file,
             "--control-port", str(free_port())],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(port_file):
            self.assertIsNone(self.server.poll(), "server exited")
            self.assertLess(time.monotonic(), deadline, "server did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            self.ports = dict(line.strip().split("=") for line in f if line.strip())

    def tearDown(self):
        self.server.terminate()
        self.server.wait(10)
        self.dir.cleanup()

    def get(self, port_name, path):
        url = "http://127.0.0.1:%s%s" % (self.ports[port_name], path)
        with urllib.request.urlopen(url, timeout=5) as answer:
            return answer.read()

    def control(self, request):
        return self.get("control", "/_control/" + request).decode()

    def test_plain_path_serves_the_package_and_is_counted(self):
        self.assertEqual(self.get("http", "/plain/brightmereSetup.exe"), PACKAGE)
        self.assertEqual(self.control("counts"), "fallback=0\npackage=0\nplain=1\n")

    def test_control_port_answers_nothing_but_control(self):
        with self.assertRaises(urllib.error.HTTPError) as refused:
            self.get("control", "/plain/brightmereSetup.exe")
        self.assertEqual(refused.exception.code, 404)

    def test_closed_port_refuses_until_reset_opens_it(self):
        self.control("listen?port=http&on=0")
        with self.assertRaises(urllib.error.URLError) as refused:
            self.get("http", "/plain/brightmereSetup.exe")
        self.assertIsInstance(refused.exception.reason, ConnectionRefusedError)
        self.control("reset")
        self.assertEqual(self.get("http", "/plain/brightmereSetup.exe"), PACKAGE)

    def test_closed_port_reopens_on_the_same_number(self):
        self.control("listen?port=http&on=0")
        self.control("listen?port=http&on=1")
        self.assertEqual(self.get("http", "/brightmere/brightmereSetup.exe"), PACKAGE)

    def test_redirect_mode_sends_the_location_given(self):
        target = "https://127.0.0.1:1/plain/brightmereSetup.exe"
        self.control("set?target=package&mode=redirect&arg=" + urllib.request.quote(target, ""))
        connection = socket.create_connection(("127.0.0.1", int(self.ports["http"])), 5)
        connection.sendall(b"GET /caller?c=site&a=downloadPackage HTTP/1.1\r\nHost: x\r\n\r\n")
        head = connection.recv(4096).decode()
        connection.close()
        self.assertTrue(head.startswith("HTTP/1.1 302"), head)
        self.assertIn("Location: %s\r\n" % target, head)

    def test_endless_mode_sends_the_package_then_more_without_a_length(self):
        self.control("set?target=fallback&mode=endless")
        url = "http://127.0.0.1:%s/brightmere/brightmereSetup.exe" % self.ports["http"]
        with urllib.request.urlopen(url, timeout=5) as answer:
            self.assertIsNone(answer.headers["Content-Length"])
            head = answer.read(len(PACKAGE) * 4)
        self.assertEqual(head[:len(PACKAGE)], PACKAGE)
        self.assertEqual(head[len(PACKAGE):], bytes(len(PACKAGE) * 3))


if __name__ == "__main__":
    unittest.main()
