#!/usr/bin/env python3
"""An installer built for another product holds none of the default product's identifiers:
not as ASCII or UTF-8 text (what `strings` shows), nor as UTF-16 (what `strings -el` shows),
in any letter case.

Usage: foreign_identifiers_check.py INSTALLER.exe
"""
import sys

IDENTIFIERS = ("brightmere", "harrowfields", "DOVizorivev", "明湖", "BrightmereInstaller")


def forms(identifier):
    """The byte forms an identifier can take in a program, lower-cased where ASCII."""
    return {identifier.encode("utf-8").lower(), identifier.encode("utf-16-le").lower()}


def found(data):
    """The identifiers present in `data`."""
    data = data.lower()  # ASCII letters only: UTF-16 code units of ASCII letters lower too
    return [i for i in IDENTIFIERS if any(form in data for form in forms(i))]


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    # The search must see every form, or a clean result means nothing.
    sample = b"".join(i.upper().encode(e) for i in IDENTIFIERS for e in ("utf-8", "utf-16-le"))
    assert found(sample) == list(IDENTIFIERS), found(sample)
    with open(argv[1], "rb") as f:
        hits = found(f.read())
    if hits:
        print("%s holds the default product's identifiers: %s" % (argv[1], ", ".join(hits)))
        return 1
    print("%s: none of %s" % (argv[1], ", ".join(IDENTIFIERS)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
