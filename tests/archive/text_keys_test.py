"""Every text the installer shows by key exists in every string table of every product in the
repository, with the same placeholders: a missing key would show as "[key]" (in a layout, stop
the window), and a translation without "{name}" would drop the product's name.

The keys used are those of the layouts (text="@key", tooltip="@key" in products/*/themes), of
the code (base::Text("key", ...) in the sources) and of the texts built into the program for a
damaged skin (cmake/FallbackTexts.cmake). A table's key that nothing uses is an error too, so
the tables do not fill up with texts nobody reads.

    text_keys_test.py <source tree>
"""
import glob
import os
import re
import sys

LAYOUT_KEY = re.compile(r'\b(?:text|tooltip)="@(?!@)([^"]*)"')
CODE_CALL = re.compile(r'\bbase::Text\(([^{)]*)')
LITERAL = re.compile(r'"([A-Za-z0-9_]+)"')
PLACEHOLDER = re.compile(r'\{([A-Za-z0-9_]+)\}')
KEY = re.compile(r'^[A-Za-z0-9_]+$')


def read_table(path, failures):
    """The table as {key: value}; malformed lines are failures, as the installer rejects them."""
    table = {}
    with open(path, encoding="utf-8-sig") as f:
        for number, line in enumerate(f, 1):
            line = line.strip(" \t\r\n")
            if not line or line[0] in ";#":
                continue
            key, equals, value = line.partition("=")
            key = key.strip(" \t")
            if not equals or not KEY.match(key):
                failures.append("%s:%d: not a key = value line" % (path, number))
            elif key in table:
                failures.append("%s:%d: key '%s' repeated" % (path, number, key))
            else:
                table[key] = value.strip(" \t")
    return table


def used_keys(root):
    """{key: [where it is used]}"""
    used = {}
    for path in glob.glob(os.path.join(root, "products", "*", "themes", "**", "*.xml"),
                          recursive=True):
        with open(path, encoding="utf-8") as f:
            for key in LAYOUT_KEY.findall(f.read()):
                used.setdefault(key, []).append(os.path.relpath(path, root))
    for folder in ("app", "install", "window", "report", "toolkit"):
        for path in glob.glob(os.path.join(root, folder, "**", "*.*"), recursive=True):
            if not path.endswith((".cpp", ".h")):
                continue
            with open(path, encoding="utf-8") as f:
                for call in CODE_CALL.findall(f.read()):
                    for key in LITERAL.findall(call):
                        used.setdefault(key, []).append(os.path.relpath(path, root))
    with open(os.path.join(root, "cmake", "FallbackTexts.cmake"), encoding="utf-8") as f:
        for key in re.search(r"foreach\(_key ([^)]*)\)", f.read()).group(1).split():
            used.setdefault(key, []).append("cmake/FallbackTexts.cmake")
    return used


def main():
    root = sys.argv[1]
    failures = []
    paths = sorted(glob.glob(os.path.join(root, "products", "*", "lang", "*", "strings.ini")))
    tables = {os.path.relpath(p, root): read_table(p, failures) for p in paths}
    used = used_keys(root)
    if len(tables) < 2 or len(used) < 20:
        failures.append("found %d tables and %d keys: the search is broken" % (len(tables), len(used)))
    reference_path = os.path.join("products", "brightmere", "lang", "zh_CN", "strings.ini")
    reference = tables.get(reference_path, {})
    for path, table in tables.items():
        for key in sorted(set(used) - set(table)):
            failures.append("%s: no '%s' (used in %s)" % (path, key, used[key][0]))
        for key in sorted(set(table) - set(used)):
            failures.append("%s: '%s' is used nowhere" % (path, key))
        for key in sorted(set(table) & set(reference)):
            mine, theirs = set(PLACEHOLDER.findall(table[key])), set(PLACEHOLDER.findall(reference[key]))
            if mine != theirs:
                failures.append("%s: '%s' has the placeholders %s, %s has %s"
                                % (path, key, sorted(mine), reference_path, sorted(theirs)))
    for failure in failures:
        print("FAIL:", failure)
    print("%d tables, %d keys used" % (len(tables), len(used)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
