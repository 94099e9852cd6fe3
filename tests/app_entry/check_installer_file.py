#!/usr/bin/env python3
"""Checks an installer executable as a file, without running it:

  check_installer_file.py INSTALLER --arch i686|x86_64

- a GUI program of the named architecture (PE32 for i686, PE32+ for x86_64);
- its manifest asks for administrator rights;
- its import table names only KnownDLLs: every other system library must be delay-loaded, or
  a copy planted next to the installer in a Downloads folder would be loaded with its rights;
- it holds no way to start a program or page itself through the shell (the names
  ShellExecute*, WinExec and IEXPLORE.EXE, as imports, names looked up or texts): what it
  starts besides its setup goes only through the desktop's shell, with the user's rights.

Prints what it found; exit code 0 when all holds. Python standard library only, so it runs on
any machine, also one that cannot run the program.
"""
import argparse
import struct
import sys

# Libraries the system always takes from System32 (KnownDLLs since Windows 7).
KNOWN_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "shlwapi.dll",
    "ole32.dll", "oleaut32.dll", "comdlg32.dll", "ws2_32.dll", "imm32.dll", "psapi.dll",
    "setupapi.dll", "msvcrt.dll", "rpcrt4.dll", "sechost.dll", "normaliz.dll", "wldap32.dll"}

# Routes that would start something with the installer's own rights, and the user's file
# associations or App Paths choosing what.
OWN_START_NAMES = ["ShellExecute", "WinExec", "IEXPLORE.EXE"]

ARCHES = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional magic
SUBSYSTEM_GUI = 2
RT_MANIFEST = 24


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i)
                          for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]  # virtual size, address, raw size, raw at

    def offset(self, rva):
        for size, address, raw_size, raw_at in self.sections:
            if address <= rva < address + max(size, raw_size):
                return rva - address + raw_at
        raise ValueError("address %#x is in no section" % rva)

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        rva = self.directory[1][0]
        names, at = [], self.offset(rva) if rva else None
        while at is not None:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                break
            names.append(self.c_string(name_rva).lower())
            at += 20
        return names

    def resources(self, type_id):
        """The data of every resource of a numbered type."""
        if not self.directory[2][0]:
            return
        root = self.offset(self.directory[2][0])

        def entries(at):
            named, numbered = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + numbered):
                yield struct.unpack_from("<II", self.data, at + 16 + 8 * i)

        def leaves(at):
            for _, target in entries(at):
                if target & 0x80000000:
                    yield from leaves(root + (target & 0x7FFFFFFF))
                else:
                    rva, size = struct.unpack_from("<II", self.data, root + target)
                    yield self.data[self.offset(rva):self.offset(rva) + size]

        for ident, target in entries(root):
            if ident == type_id and target & 0x80000000:
                yield from leaves(root + (target & 0x7FFFFFFF))


def check(path, arch):
    with open(path, "rb") as f:
        image = Image(f.read())
    machine, magic = ARCHES[arch]
    problems = []
    if (image.machine, image.magic) != (machine, magic):
        problems.append("machine %#x, optional header %#x: not an %s program"
                        % (image.machine, image.magic, arch))
    if image.subsystem != SUBSYSTEM_GUI:
        problems.append("subsystem %d, not a GUI program" % image.subsystem)
    manifests = list(image.resources(RT_MANIFEST))
    if not any(b'level="requireAdministrator"' in m for m in manifests):
        problems.append("no manifest that requires administrator rights")
    imported = image.imported_dlls()
    if not imported:
        problems.append("no import table")
    for dll in imported:
        if dll not in KNOWN_DLLS:
            problems.append("%s is imported directly and could be planted" % dll)
    lowered = image.data.lower()
    for name in OWN_START_NAMES:
        for encoded in (name.lower().encode("ascii"), name.lower().encode("utf-16-le")):
            if encoded in lowered:
                problems.append("%s is in the file: it could start something with its rights"
                                % name)
                break
    print("%s: machine %#x, subsystem %d, %d manifest(s); imports %s" % (
        path, image.machine, image.subsystem, len(manifests), " ".join(imported)))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("installer")
    parser.add_argument("--arch", choices=sorted(ARCHES), required=True)
    args = parser.parse_args()
    problems = check(args.installer, args.arch)
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
