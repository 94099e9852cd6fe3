#!/usr/bin/env python3
"""One real start of the shipped 32-bit installer on a machine whose tests run the x86_64
build: start it, see its main window show the welcome page with the install button, end it.

  i686_installer_smoke.py --installer EXE --reference EXE --prefix DIR --display-name NAME

The window's title is the display name followed by " 安装程序".

Where the kernel runs no 32-bit code, Wine's 32-bit loader runs through qemu-user (a binfmt
entry tools/setup.sh registers): about a minute a process start, so this is the only i686 run
there, and it starts as few 32-bit processes as it can: the prefix's (its own, made by the
32-bit loader: the x86_64 tree's has no 32-bit side) and the installer's. The page is judged
through X, natively: the tested x86_64 installer (--reference), started first with wine64 in
the same prefix, shows the welcome page; the shipped one must show the same page, pixel for
pixel within a small tolerance, install button included. (Reading the window through MSAA
took a 32-bit probe that did not finish through qemu-user, and a 64-bit reader of a 32-bit
window's MSAA tree hangs in Wine's marshalling.)
Needs DISPLAY (tools/with-wine). Prints the time of each step.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

# Pixels that may differ between the two pages (of 600 x 400 at 100 %): anti-aliasing.
MAX_DIFFERENT_PIXELS = 2400


def wait_for_window(title, process, deadline):
    """The X window id of the visible window with this exact title, or None."""
    while time.monotonic() < deadline and process.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                               capture_output=True, text=True)
        if found.returncode == 0:
            return found.stdout.split()[0]
        time.sleep(1)
    return None


def shoot(window, path):
    subprocess.run(["import", "-window", window, path], check=True, capture_output=True)


def different_pixels(a, b):
    result = subprocess.run(["compare", "-metric", "AE", "-fuzz", "3%", a, b, "null:"],
                            capture_output=True, text=True)
    try:
        return int(float(result.stderr.split()[0]))
    except (IndexError, ValueError):
        return None  # the sizes differ


def main():
    parser = argparse.ArgumentParser()
    for name in ("--installer", "--reference", "--prefix", "--display-name"):
        parser.add_argument(name, required=True)
    parser.add_argument("--timeout", type=float, default=1200)
    parser.add_argument("--summary", help="also write the result line to this file")
    o = parser.parse_args()

    env = dict(os.environ, WINEPREFIX=o.prefix, WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("WINELOADER", None)  # the x86_64 tree's loader; the wrapper picks the 32-bit one
    title = o.display_name + " 安装程序"
    started = time.monotonic()
    deadline = started + o.timeout
    work = tempfile.mkdtemp(prefix="smoke-")
    # A native wineserver serves both loaders; started by the 32-bit loader it would be
    # emulated too.
    os.makedirs(o.prefix, exist_ok=True)
    subprocess.run(["wineserver", "-p"], env=env, check=True)
    try:
        if not os.path.exists(os.path.join(o.prefix, "system.reg")):
            subprocess.run(["wine", "wineboot", "-i"], env=env, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=o.timeout)
            print("smoke: prefix made in %.0f s" % (time.monotonic() - started))

        wine64 = shutil.which("wine64") or "/usr/lib/wine/wine64"
        reference = subprocess.Popen([wine64, o.reference], env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for_window(title, reference, deadline)
        if not window:
            print("smoke: FAIL: the tested installer showed no window")
            return 1
        time.sleep(3)  # its first paint and the images decoded after it
        expected = os.path.join(work, "expected.png")
        shoot(window, expected)
        reference.kill()
        reference.wait()

        launched = time.monotonic()
        installer = subprocess.Popen(["wine", o.installer], env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for_window(title, installer, deadline)
        if not window:
            print("smoke: FAIL: the shipped installer showed no window (exit code %s)"
                  % installer.poll())
            return 1
        print("smoke: the window showed %.0f s after the start" % (time.monotonic() - launched))
        seen = os.path.join(work, "seen.png")
        differing = None
        while time.monotonic() < deadline and installer.poll() is None:
            shoot(window, seen)
            differing = different_pixels(expected, seen)
            if differing is not None and differing <= MAX_DIFFERENT_PIXELS:
                break
            time.sleep(5)
        else:
            print("smoke: FAIL: the window never showed the welcome page (%s pixels differ;"
                  " the last look: %s)" % (differing, seen))
            return 1
        line = ("i686 installer smoke run: the window showed the welcome page with its install"
                " button %.0f s after the start (%.0f s in all, prefix included; %d pixels"
                " differ from the tested build's page)"
                % (time.monotonic() - launched, time.monotonic() - started, differing))
        print(line)
        if o.summary:
            with open(o.summary, "w") as f:
                f.write(line + "\n")
        shutil.rmtree(work)
        return 0
    finally:
        subprocess.run(["wineserver", "-k"], env=env)


if __name__ == "__main__":
    sys.exit(main())
