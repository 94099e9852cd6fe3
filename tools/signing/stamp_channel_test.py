#!/usr/bin/env python3
"""Tests of stamp_channel.py on a really signed program: stamping and restamping keep the
signature (osslsigncode verify), change nothing the signature covers, and bad input is refused.

  stamp_channel_test.py --certs DIR --program EXE   (DIR: make_signing_certs.sh's output)
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import unittest

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
import stamp_channel as sc  # noqa: E402
from local_tsa import LocalTsa  # noqa: E402

OPTIONS = None


def sign(program, out, *extra):
    subprocess.run(["osslsigncode", "sign", "-certs", os.path.join(OPTIONS.certs, "signer-chain.pem"),
                    "-key", os.path.join(OPTIONS.certs, "signer.key"), "-h", "sha256",
                    "-n", "Brightmere", "-in", program, "-out", out] + list(extra),
                   check=True, stdout=subprocess.DEVNULL)


def verify(path):
    """osslsigncode's verdict, with a wrong PE checksum counted as a failure."""
    root = os.path.join(OPTIONS.certs, "root.pem")
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", root, "-TSA-CAfile", root,
                           "-in", path],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    text = done.stdout.decode(errors="replace")
    return done.returncode == 0 and "invalid PE checksum" not in text, text


class StampChannelTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.signed = os.path.join(cls.dir.name, "signed.exe")
        sign(OPTIONS.program, cls.signed)
        with open(cls.signed, "rb") as f:
            cls.data = f.read()

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def write(self, name, data):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def run_tool(self, *args, stdin=None):
        return subprocess.run([sys.executable, os.path.join(here, "stamp_channel.py")] + list(args),
                              input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def test_stamped_and_restamped_files_keep_the_signature(self):
        first = sc.stamp_bytes(self.data, "site_a")
        again = sc.stamp_bytes(first, "other_site_b_10002")
        for name, data, channel in (("a.exe", first, "site_a"),
                                    ("b.exe", again, "other_site_b_10002")):
            path = self.write(name, data)
            ok, text = verify(path)
            self.assertTrue(ok, "%s: %s" % (name, text))
            self.assertEqual(channel, self.run_tool("read", path).stdout.decode().strip())
            pe = sc.Pe(data)
            # Nothing the signature covers moved: up to the table, only the checksum and the
            # security directory's size differ.
            fields = {pe.checksum_at + i for i in range(4)} | {pe.security_at + 4 + i for i in range(4)}
            changed = {i for i in range(pe.table) if data[i] != self.data[i]}
            self.assertLessEqual(changed, fields, name)
            self.assertEqual(pe.table, sc.Pe(self.data).table)
            size = struct.unpack_from("<I", data, pe.security_at + 4)[0]
            self.assertEqual((len(data) - pe.table, 0), (size, size % 8), name)
            self.assertLessEqual(len(data) - pe.table - 8 - len(pe.der), 7, name)
            self.assertEqual(sc.pe_checksum(data, pe.checksum_at),
                             struct.unpack_from("<I", data, pe.checksum_at)[0], name)
        # A restamp replaces the stamp: the same bytes as stamping the signed file once.
        self.assertEqual(sc.stamp_bytes(self.data, "other_site_b_10002"), again)

    def test_a_file_without_a_checksum_gets_a_right_one(self):
        pe = sc.Pe(self.data)
        unsummed = bytearray(self.data)
        struct.pack_into("<I", unsummed, pe.checksum_at, 0)
        stamped = sc.stamp_bytes(bytes(unsummed), "site_e")
        self.assertEqual(sc.stamp_bytes(self.data, "site_e"), stamped)

    def test_a_timestamped_release_signature_keeps_its_timestamp(self):
        signed = os.path.join(self.dir.name, "timestamped.exe")
        root = os.path.join(OPTIONS.certs, "root.pem")
        with LocalTsa(OPTIONS.certs, os.path.join(self.dir.name, "tsa")) as tsa:
            subprocess.run([os.path.join(here, "sign_stub.sh"), "--in", OPTIONS.program,
                            "--out", signed, "--certs", os.path.join(OPTIONS.certs, "signer-chain.pem"),
                            "--key", os.path.join(OPTIONS.certs, "signer.key"),
                            "--timestamp", tsa.url, "--ca", root, "--tsa-ca", root], check=True)
        with open(signed, "rb") as f:
            stamped = sc.stamp_bytes(f.read(), "site_t")
        ok, text = verify(self.write("t.exe", stamped))
        self.assertTrue(ok, text)
        self.assertIn("Timestamp Server Signature verification: ok", text)

    def test_other_unauthenticated_attributes_stay(self):
        blob = os.path.join(self.dir.name, "blob.exe")
        sign(OPTIONS.program, blob, "-addUnauthenticatedBlob")
        with open(blob, "rb") as f:
            data = f.read()
        kept = sc.Pe(data).der
        stamped = sc.stamp_bytes(data, "site_c")
        ok, text = verify(self.write("c.exe", stamped))
        self.assertTrue(ok, text)
        self.assertIn("Unauthenticated", text)
        self.assertGreater(len(sc.Pe(stamped).der), len(kept))
        self.assertEqual("site_c", sc.read_stamp(stamped))

    def test_stream_gives_the_same_bytes_as_a_file(self):
        done = self.run_tool("stamp", "--channel", "site_d", "-", "-", stdin=self.data)
        self.assertEqual(0, done.returncode, done.stderr)
        self.assertEqual(sc.stamp_bytes(self.data, "site_d"), done.stdout)

    def test_bad_input_is_refused_and_writes_nothing(self):
        with open(OPTIONS.program, "rb") as f:
            unsigned = f.read()
        pe = sc.Pe(self.data)
        # The signature cut at 600 bytes, the table's sizes saying so.
        cut = bytearray(self.data[:pe.table + 600])
        struct.pack_into("<I", cut, pe.security_at + 4, 600)
        struct.pack_into("<I", cut, pe.table, 600)
        cases = [
            ("an unsigned program", unsigned, "site_a"),
            ("not a program", b"just text, not MZ" * 10, "site_a"),
            ("bytes after the signature", self.data + b"\0" * 8, "site_a"),
            ("a truncated signature", bytes(cut), "site_a"),
            ("an ampersand", self.data, "a&b"),
            ("a space", self.data, "a b"),
            ("an equals sign", self.data, "a=b"),
            ("a semicolon", self.data, "a;b"),
            ("a percent sign", self.data, "a%b"),
            ("not ASCII", self.data, "caf\u00e9"),
            ("empty", self.data, ""),
            ("65 characters", self.data, "x" * 65),
        ]
        for what, data, channel in cases:
            source = self.write("in.exe", data)
            out = os.path.join(self.dir.name, "out.exe")
            done = self.run_tool("stamp", "--channel", channel, source, out)
            self.assertEqual(2, done.returncode, what)
            self.assertIn(b"stamp_channel:", done.stderr, what)
            self.assertFalse(os.path.exists(out), what)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--certs", required=True)
    parser.add_argument("--program", required=True)
    OPTIONS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
