#!/usr/bin/env python3
"""Writes a damaged copy of the skin package for the robustness tests.

Usage: make_broken_theme.py KIND THEME_ZIP OUTPUT

KIND is one of:
  truncated   the first half of the archive's bytes (its central directory is gone)
  random      4 KiB of fixed pseudo-random bytes, no archive at all
  bad_global  every global.xml replaced by markup that never closes
  bad_basic   every basic.xml replaced by markup that never closes
  no_basic    the archive without any basic.xml
  bad_deflate every global.xml's compressed bytes damaged in the middle
  bad_images  every PNG image replaced by bytes that are no image
  no_strings  the archive without its language files
"""
import random
import struct
import sys
import zipfile

BROKEN_MARKUP = b'<?xml version="1.0" encoding="utf-8"?>\n<Window size="600,400">\n<VBox name="'


def rewrite(source, output, change):
    with zipfile.ZipFile(source) as src, zipfile.ZipFile(output, "w") as dst:
        for info in src.infolist():
            data = change(info.filename, src.read(info))
            if data is not None:
                dst.writestr(info, data)


def damage_entries(path, suffix):
    """Inverts a few bytes in the middle of each matching entry's stored data."""
    with zipfile.ZipFile(path) as archive:
        infos = [i for i in archive.infolist() if i.filename.endswith(suffix)]
    with open(path, "r+b") as f:
        for info in infos:
            f.seek(info.header_offset + 26)
            name_length, extra_length = struct.unpack("<HH", f.read(4))
            start = info.header_offset + 30 + name_length + extra_length
            middle = start + info.compress_size // 2
            f.seek(middle)
            data = f.read(8)
            f.seek(middle)
            f.write(bytes(b ^ 0xFF for b in data))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    kind, source, output = sys.argv[1:]
    if kind == "truncated":
        with open(source, "rb") as f:
            data = f.read()
        with open(output, "wb") as f:
            f.write(data[: len(data) // 2])
    elif kind == "random":
        generator = random.Random(136)
        with open(output, "wb") as f:
            f.write(bytes(generator.randrange(256) for _ in range(4096)))
    elif kind in ("bad_global", "bad_basic"):
        target = "/global.xml" if kind == "bad_global" else "/basic.xml"
        rewrite(source, output,
                lambda name, data: BROKEN_MARKUP if name.endswith(target) else data)
    elif kind == "no_basic":
        rewrite(source, output,
                lambda name, data: None if name.endswith("/basic.xml") else data)
    elif kind == "bad_deflate":
        rewrite(source, output, lambda name, data: data)
        damage_entries(output, "/global.xml")
    elif kind == "bad_images":
        rewrite(source, output,
                lambda name, data: b"not an image" * 16 if name.endswith(".png") else data)
    elif kind == "no_strings":
        rewrite(source, output,
                lambda name, data: None if name.endswith(".ini") else data)
    else:
        sys.exit("unknown kind: " + kind)


if __name__ == "__main__":
    main()
