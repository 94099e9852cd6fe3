#!/usr/bin/env python3
"""The product file reader: every product in the repository reads cleanly, and a file with a
missing or malformed value is refused with the file and the key named."""
import os
import re
import shutil
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "cmake"))
import product_settings  # noqa: E402

DEFAULT = os.path.join(ROOT, "products", "brightmere")


def with_line(text, key, line):
    """`text` with the line of `key` replaced by `line` (None: removed)."""
    pattern = re.compile(r"^%s\s*=.*$" % re.escape(key), re.M)
    assert pattern.search(text), key
    return pattern.sub(lambda _: line if line is not None else "", text, count=1)


class ProductSettingsTest(unittest.TestCase):
    def test_every_product_in_the_repository_reads(self):
        products = os.path.join(ROOT, "products")
        for name in sorted(os.listdir(products)):
            with self.subTest(product=name):
                settings = product_settings.read(os.path.join(products, name))
                self.assertNotIn("{", settings["fallback_url"] + settings["report_url"])

    def test_the_default_product_keeps_its_values(self):
        s = product_settings.read(DEFAULT, {"package_host": "127.0.0.1:18480"})
        self.assertEqual(s["package_url"],
                         "http://127.0.0.1:18480/caller?c=site&a=downloadPackage&channel={channel}")
        self.assertEqual(s["report_url"], "http://127.0.0.1:18480/caller?c=site&a=writelog")
        self.assertEqual(s["registry_key"], "Software\\brightmere\\AppInfo")
        self.assertEqual(s["rc_language"], "4, 2")

    def test_a_bad_value_is_refused_naming_the_file_and_the_key(self):
        with open(os.path.join(DEFAULT, "product.ini"), encoding="utf-8") as f:
            original = f.read()
        cases = [
            ("registry_key", None, "is missing"),
            ("file_version", "file_version = 2.1.0", "four numbers"),
            ("file_version", "file_version = 2.1.0.70000", "at most 65535"),
            ("package_host", "package_host = dl.example/x", "host name"),
            ("fallback_url", "fallback_url = http://{fallback_host}/a.exe", "https://"),
            ("package_url", "package_url = http://{package_host}/?c={chanel}", "{chanel}"),
            ("report_url", "report_url = http://{report_host}/?c={channel}", "{channel}"),
            ("setup_command", "setup_command = {package} /S", "{install_dir}"),
            ("report_survey_labels", "report_survey_labels = a,b,c,d", "five"),
            ("languages", "languages = zh_CN,xx_YY", "xx_YY"),
            ("default_language", "default_language = en_US", "not in languages"),
            ("package_min_bytes", "package_min_bytes = 10 MiB", "whole number"),
            ("install_folder", "install_folder = ..\\Windows", "relative folder"),
            ("install_folder", "install_folder = C:\\Apps", "relative folder"),
            ("app_exe_name", "app_exe_name = app.com", ".exe"),
            ("package_signer_keys", "package_signer_keys = abc", "SHA-256"),
            ("display_name", "display_name =", "empty"),
            ("mutex_name", "mutex_name = Global\\x", "backslash"),
            ("package_folder_prefix", "package_folder_prefix = bm_", "letters"),
        ]
        for key, line, words in cases:
            with self.subTest(key=key, line=line), tempfile.TemporaryDirectory() as folder:
                path = os.path.join(folder, "product.ini")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(with_line(original, key, line))
                with self.assertRaises(product_settings.Problem) as caught:
                    product_settings.read(folder)
                message = str(caught.exception)
                self.assertIn(path, message)
                self.assertIn("'%s'" % key, message)
                self.assertIn(words, message)

    def test_unknown_and_repeated_keys_are_refused(self):
        with open(os.path.join(DEFAULT, "product.ini"), encoding="utf-8") as f:
            original = f.read()
        for extra, words in (("colour = blue", "'colour'"), ("mutex_name = Other", "set twice"),
                             ("just words", "not 'key = value'")):
            with self.subTest(extra=extra), tempfile.TemporaryDirectory() as folder:
                with open(os.path.join(folder, "product.ini"), "w", encoding="utf-8") as f:
                    f.write(original + extra + "\n")
                with self.assertRaisesRegex(product_settings.Problem, re.escape(words)):
                    product_settings.read(folder)

    def test_an_override_must_be_valid_too(self):
        with self.assertRaisesRegex(product_settings.Problem, "package_host"):
            product_settings.read(DEFAULT, {"package_host": "not a host"})


if __name__ == "__main__":
    unittest.main()
