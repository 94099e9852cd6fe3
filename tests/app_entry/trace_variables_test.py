"""The shipped installer runs as administrator, so it must not read the trace variables: any
program of the user can set them, and they name a file to create. A program can only read a
variable whose name it holds, so the test looks for the names in the executable's bytes, as
ASCII and as UTF-16LE. The traced build, which does read them, must show them: that keeps the
search itself honest.

    trace_variables_test.py <shipped installer> <traced installer>
"""
import sys

NAMES = ("INSTALLER_TRACE_STARTUP", "INSTALLER_TRACE_PAINT")


def found_names(path):
    with open(path, "rb") as f:
        data = f.read()
    return [name for name in NAMES
            if name.encode("ascii") in data or name.encode("utf-16-le") in data]


def main():
    shipped, traced = sys.argv[1], sys.argv[2]
    failures = []
    in_shipped = found_names(shipped)
    if in_shipped:
        failures.append("the shipped installer holds %s" % ", ".join(in_shipped))
    in_traced = found_names(traced)
    if sorted(in_traced) != sorted(NAMES):
        failures.append("the traced installer holds only %s" % (in_traced or "none"))
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("ok: only the traced installer names the trace variables")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
