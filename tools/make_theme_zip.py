#!/usr/bin/env python3
"""Packs the skin folder into the zip that becomes the installer's THEME resource.

Usage: make_theme_zip.py PRODUCT_DIR OUTPUT_ZIP [PNG_OPTIMISER]

The product folder's "lang" and "themes" are packed; entry names start with "resources/";
folders are stored entries of their own, files are deflated; there is no archive comment. Entries are sorted and carry a fixed time stamp, so the
same tree always gives the same archive. The three theme folders must hold identical XML: the
toolkit scales one layout for every display scale, so a copy that drifted apart is a build error.

With PNG_OPTIMISER (optipng), each PNG is packed as the optimiser rewrites it: losslessly, the
same pixels in fewer bytes, with metadata the toolkit never reads stripped. The committed
images stay as tools/draw_skin.py drew them.
"""
import os
import subprocess
import sys
import tempfile
import zipfile

THEMES = ("default", "default-hdpi", "default-xhdpi")
SKIN_FOLDERS = ("lang", "themes")
STAMP = (2020, 1, 1, 0, 0, 0)
PREFIX = "resources/"


def collect(root):
    """Sorted (archive name, source path or None for a folder) pairs. Only the skin's own
    folders are packed; the product's settings and icon next to them stay out."""
    root = os.path.abspath(root)
    entries = [(PREFIX, None)]
    for top in SKIN_FOLDERS:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            rel = PREFIX + os.path.relpath(folder, root).replace(os.sep, "/")
            entries.append((rel + "/", None))
            entries += [(rel + "/" + name, os.path.join(folder, name)) for name in files]
    return sorted(entries)


def check_identical_xml(root):
    themes = os.path.join(root, "themes")
    reference = os.path.join(themes, THEMES[0])
    problems = []
    xml_files = []
    for folder, _, files in os.walk(reference):
        xml_files += [os.path.relpath(os.path.join(folder, f), reference) for f in files if f.endswith(".xml")]
    for theme in THEMES[1:]:
        for rel in xml_files:
            with open(os.path.join(reference, rel), "rb") as a:
                want = a.read()
            path = os.path.join(themes, theme, rel)
            if not os.path.exists(path):
                problems.append("%s is missing" % path)
                continue
            with open(path, "rb") as b:
                if b.read() != want:
                    problems.append("%s differs from %s" % (path, os.path.join(reference, rel)))
    return problems


def optimised_png(path, optimiser):
    """The bytes of the PNG at `path` after a lossless optimisation."""
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "image.png")
        with open(path, "rb") as src, open(copy, "wb") as dst:
            dst.write(src.read())
        subprocess.run([optimiser, "-quiet", "-o2", "-strip", "all", copy], check=True)
        with open(copy, "rb") as f:
            return f.read()


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    root, output = sys.argv[1], sys.argv[2]
    optimiser = sys.argv[3] if len(sys.argv) == 4 else None
    problems = check_identical_xml(root)
    if problems:
        sys.exit("make_theme_zip: " + "; ".join(problems))
    temporary = output + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, path in collect(root):
            info = zipfile.ZipInfo(name, STAMP)
            info.create_system = 0  # MS-DOS attributes, as Windows tools write them
            if name.endswith("/"):
                info.compress_type = zipfile.ZIP_STORED
                info.external_attr = 0x10  # directory
                archive.writestr(info, b"")
            else:
                info.compress_type = zipfile.ZIP_DEFLATED
                info.external_attr = 0x20  # archive bit
                if optimiser and name.endswith(".png"):
                    data = optimised_png(path, optimiser)
                else:
                    with open(path, "rb") as f:
                        data = f.read()
                archive.writestr(info, data, compresslevel=9)
    os.replace(temporary, output)


if __name__ == "__main__":
    main()
