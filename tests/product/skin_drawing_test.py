#!/usr/bin/python3
"""The skin images and icon committed in each product folder are what tools/draw_skin.py draws
from its skin.json: a colour changed in the description without redrawing, an image edited by
hand, or a drawing that is not reproducible fails here. Pixels are compared, not PNG bytes, so
that another zlib does not matter. Debian's python3 (python3-pil), like the drawing program."""
import glob
import os
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DRAW = os.path.join(ROOT, "tools", "draw_skin.py")


def pixels(path, size=None):
    with Image.open(path) as img:
        if size:  # one image of an icon
            img.size = (size, size)
        return img.convert("RGBA").tobytes()


class SkinDrawingTest(unittest.TestCase):
    def test_committed_images_are_drawn_from_the_description(self):
        products = sorted(glob.glob(os.path.join(ROOT, "products", "*", "skin.json")))
        self.assertGreaterEqual(len(products), 2)
        for skin in products:
            product = os.path.dirname(skin)
            with self.subTest(product=os.path.basename(product)), \
                    tempfile.TemporaryDirectory() as out:
                subprocess.run([sys.executable, DRAW, product, "--out", out], check=True,
                               stdout=subprocess.DEVNULL)
                drawn = sorted(os.path.relpath(p, out) for p in
                               glob.glob(os.path.join(out, "themes", "**", "*.png"), recursive=True))
                committed = sorted(os.path.relpath(p, product) for p in
                                   glob.glob(os.path.join(product, "themes", "**", "*.png"),
                                             recursive=True))
                self.assertEqual(committed, drawn)
                for rel in drawn:
                    self.assertTrue(pixels(os.path.join(product, rel)) ==
                                    pixels(os.path.join(out, rel)), "%s differs" % rel)
                for size in (16, 32, 48, 256):
                    self.assertTrue(pixels(os.path.join(product, "icon.ico"), size) ==
                                    pixels(os.path.join(out, "icon.ico"), size),
                                    "icon.ico differs at %d pixels" % size)


if __name__ == "__main__":
    unittest.main()
