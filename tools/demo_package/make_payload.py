#!/usr/bin/env python3
"""Writes the demo package's payload: SIZE bytes from a seeded generator, so the package is
the same on every build and does not shrink under compression.

usage: make_payload.py OUT SIZE [SEED]
"""
import random
import sys


def main():
    out, size = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20261208
    data = random.Random(seed).randbytes(size)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
