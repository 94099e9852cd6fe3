#!/usr/bin/env python3
"""The local report collector (tools/report_collector.py) as the tests and the demo use it:
a real server process on 127.0.0.1, real HTTP requests."""

import base64
import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
COLLECTOR = os.path.join(HERE, "..", "..", "tools", "report_collector.py")


def body_of(report_text):
    return b"log=" + base64.b64encode(report_text.encode("utf-8"))


class ReportCollectorTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.dir.name, "reports.jsonl")
        port_file = os.path.join(self.dir.name, "port")
        self.server = subprocess.Popen(
            [sys.executable, COLLECTOR, "serve", "--port-file", port_file, "--log", self.log,
             "--hang-seconds", "5"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(port_file):
            self.assertIsNone(self.server.poll(), "collector exited")
            self.assertLess(time.monotonic(), deadline, "collector did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            self.port = int(f.read())

    def tearDown(self):
        self.server.terminate()
        self.server.wait(10)
        self.dir.cleanup()

    def post(self, body, headers=None, timeout=10):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            conn.request("POST", "/caller?c=site&a=writelog", body=body,
                         headers=headers or {})
            response = conn.getresponse()
            return response.status, response.getheader("Location"), response.read()
        finally:
            conn.close()

    def get(self, path):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        conn.request("GET", path)
        response = conn.getresponse()
        text = response.read().decode("utf-8")
        conn.close()
        return response.status, text

    def logged(self):
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def test_records_raw_header_lines_cookies_and_decoded_report(self):
        report = '{"eventId":"OnClick","data":{"btn_exit":"Start 太慢 已安装"}}'
        status, _, _ = self.post(body_of(report), {"Cookie": "os=windows;system=Win 10 64bit;"})
        self.assertEqual(status, 200)
        [record] = self.logged()
        self.assertEqual(record["request_line"], "POST /caller?c=site&a=writelog HTTP/1.1")
        self.assertEqual(record["headers"][0], "Host: 127.0.0.1:%d" % self.port)
        self.assertIn("Cookie: os=windows;system=Win 10 64bit;", record["headers"])
        self.assertEqual(record["cookies"], [["os", "windows"], ["system", "Win 10 64bit"]])
        self.assertEqual(record["body"], body_of(report).decode("ascii"))
        self.assertEqual(record["report_text"], report)
        self.assertTrue(record["report_json_valid"])
        self.assertEqual(record["report"]["data"]["btn_exit"], "Start 太慢 已安装")

    def test_unescaped_backslash_is_recorded_as_invalid_json(self):
        self.post(body_of('{"eventId":"OnClick","data":{"btn_exit":"Start C:\\dir"}}'))
        [record] = self.logged()
        self.assertFalse(record["report_json_valid"])
        self.assertIn("not JSON", record["error"])

    def test_plus_in_the_body_is_read_raw_not_as_a_space(self):
        self.post(b"log=Pj4+")
        [record] = self.logged()
        self.assertEqual(record["report_text"], ">>>")

    def test_server_error_and_redirect_modes(self):
        self.assertEqual(self.get("/_control?mode=500&count=1")[0], 200)
        self.assertEqual(self.post(body_of("{}"))[0], 500)
        self.assertEqual(self.post(body_of("{}"))[0], 200)  # count used up
        self.get("/_control?mode=redirect")
        status, location, _ = self.post(body_of("{}"))
        self.assertEqual((status, location), (302, "/elsewhere"))

    def test_close_mode_drops_the_connection_without_an_answer(self):
        self.get("/_control?mode=close")
        with self.assertRaises((http.client.RemoteDisconnected, ConnectionError)):
            self.post(body_of("{}"))
        self.assertEqual(len(self.logged()), 1)

    def test_reset_mode_records_the_report_then_resets_the_connection(self):
        self.get("/_control?mode=reset")
        with self.assertRaises(ConnectionResetError):
            self.post(body_of("{}"))
        self.assertEqual(len(self.logged()), 1)

    def wait_until_idle(self):
        """Until no other connection is being handled (an earlier test's may still close)."""
        # The verdict is the answer that ended the wait: asking once more could meet the
        # connection of the last question, which the server may not have closed yet.
        deadline = time.monotonic() + 10
        busy = self.get("/_control?busy=1")[1].strip()
        while busy != "0" and time.monotonic() < deadline:
            time.sleep(0.05)
            busy = self.get("/_control?busy=1")[1].strip()
        self.assertEqual(busy, "0")

    def test_hang_mode_holds_the_connection_until_released(self):
        self.get("/_control?mode=hang")
        self.wait_until_idle()
        with self.assertRaises(socket.timeout):
            self.post(body_of("{}"), timeout=1)
        # The held connection counts as busy (the client gave up, the server holds it).
        self.assertEqual(self.get("/_control?busy=1")[1].strip(), "1")
        # A later control call lets the held connection go.
        self.assertEqual(self.get("/_control?mode=ok")[0], 200)
        self.wait_until_idle()
        self.assertEqual(self.post(body_of("{}"))[0], 200)

    def test_records_endpoint_and_reset(self):
        self.post(body_of('{"eventId":"offline","data":{"result":"success"}}'))
        status, text = self.get("/_records")
        self.assertEqual(status, 200)
        self.assertIn("D result=success\n", text)
        self.assertIn("J true\n", text)
        self.get("/_control?reset=1")
        self.assertEqual(self.get("/_records")[1], "\n")
        self.assertEqual(len(self.logged()), 1)  # the log file keeps everything

    def test_summary_counts_events_and_lists_survey_answers(self):
        self.post(body_of('{"eventId":"AppStart","data":{"Dpi":"96"}}'))
        self.post(body_of('{"eventId":"OnClick","data":{"ClickSrc":"Install"}}'))
        self.post(body_of('{"eventId":"OnClick","data":{"ClickSrc":"Install"}}'))
        self.post(body_of('{"eventId":"OnClick","data":{"btn_exit":"Start 太慢 已安装"}}'))
        self.post(body_of('{"eventId":"OnClick","data":{"btn_exit":"Failed 未安装"}}'))
        out = subprocess.run([sys.executable, COLLECTOR, "summary", self.log],
                             capture_output=True, text=True, check=True).stdout
        self.assertIn("      2  OnClick ClickSrc=Install\n", out)
        self.assertIn("      1  AppStart\n", out)
        self.assertIn("      1  OnClick btn_exit=Failed 未安装\n", out)
        self.assertIn("Exit survey answers (1):\n  太慢 已安装\n", out)


if __name__ == "__main__":
    unittest.main()
