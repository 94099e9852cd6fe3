#!/usr/bin/env python3
"""Every Windows program in a build tree is of the tree's architecture:

  tree_architecture_check.py BUILD_TREE --arch i686|x86_64

On a machine that runs no 32-bit code each i386 process start goes through qemu-user and
costs about a minute, so the x86_64 test tree must hold no i386 program for its tests to
start: the demo setup package, its signed variants and the application it installs included.
The tree's Wine prefix (Wine's own 32-bit side) is not the tree's and is passed over; the
shipped i686 installer lives in a tree of its own.

A program is any file that starts with an MZ header and a PE signature, whatever its name.
Prints each program of another architecture; exit code 0 when there is none.
"""
import argparse
import os
import struct
import sys

MACHINES = {"i686": 0x14C, "x86_64": 0x8664}
NAMES = {value: key for key, value in MACHINES.items()}


def pe_machine(path):
    """The COFF machine of a PE file, or None for any other file."""
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError:
        return None
    if len(head) < 0x40 or head[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if pe + 6 > len(head) or head[pe:pe + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", head, pe + 4)[0]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tree")
    parser.add_argument("--arch", required=True, choices=sorted(MACHINES))
    o = parser.parse_args()
    wanted = MACHINES[o.arch]
    prefix = os.path.join(os.path.abspath(o.tree), "wineprefix")
    checked, foreign = 0, []
    for folder, subfolders, files in os.walk(o.tree):
        subfolders[:] = [d for d in subfolders if os.path.join(os.path.abspath(folder), d) != prefix]
        for name in files:
            path = os.path.join(folder, name)
            if os.path.islink(path):
                continue
            machine = pe_machine(path)
            if machine is None:
                continue
            checked += 1
            if machine != wanted:
                foreign.append((path, NAMES.get(machine, "machine %#x" % machine)))
    for path, arch in foreign:
        print("%s: %s, not %s" % (os.path.relpath(path, o.tree), arch, o.arch))
    print("%d programs in the tree, %d of another architecture" % (checked, len(foreign)))
    return 1 if foreign or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
