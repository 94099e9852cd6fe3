#!/usr/bin/env python3
"""One real start of the shipped 32-bit installer on a machine whose tests run the x86_64
build: start it, wait for its main window to show the install button, end it.

  i686_installer_smoke.py --installer EXE --probe UI_PROBE --prefix DIR --display-name NAME

The window's title is the display name followed by " 安装程序".

Where the kernel runs no 32-bit code, Wine's 32-bit loader runs through qemu-user (a binfmt
entry tools/setup.sh registers): about a minute a process start, so this is the only i686 run
there, and it starts as few 32-bit processes as it can: the prefix's (its own, made by the
32-bit loader: the x86_64 tree's has no 32-bit side), the installer's, and one i686 ui_probe.
The window is awaited through X (xdotool, native); then the probe starts once and waits
inside its process until the window shows the install button, reading it through MSAA (a
64-bit reader of a 32-bit window's MSAA tree hangs in Wine's marshalling). The probe does
not start with the installer: two first 32-bit starts at once in a new prefix hang in Wine.
Needs DISPLAY (tools/with-wine). Prints the time of each step.
"""
import argparse
import json
import os
import subprocess
import sys
import time

INSTALL_BUTTON = "立即安装"


def main():
    parser = argparse.ArgumentParser()
    for name in ("--installer", "--probe", "--prefix", "--display-name"):
        parser.add_argument(name, required=True)
    parser.add_argument("--timeout", type=float, default=1200)
    parser.add_argument("--summary", help="also write the result line to this file")
    o = parser.parse_args()

    env = dict(os.environ, WINEPREFIX=o.prefix, WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("WINELOADER", None)  # the x86_64 tree's loader; the wrapper picks the 32-bit one
    started = time.monotonic()
    deadline = started + o.timeout
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
        title = o.display_name + " 安装程序"
        launched = time.monotonic()
        installer = subprocess.Popen(["wine", o.installer], env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                             capture_output=True).returncode != 0:
            if installer.poll() is not None:
                print("smoke: FAIL: the installer ended with %d before its window showed"
                      % installer.returncode)
                return 1
            if time.monotonic() > deadline:
                print("smoke: FAIL: no window within %.0f s" % o.timeout)
                return 1
            time.sleep(1)
        print("smoke: the window showed %.0f s after the start" % (time.monotonic() - launched))
        left = max(60, int(deadline - time.monotonic()))
        probe = subprocess.run(["wine", o.probe, "await", title, INSTALL_BUTTON, str(left)],
                               env=env, capture_output=True, timeout=left + 120)
        if probe.returncode != 0:
            print("smoke: FAIL: no install button within %d s (probe exit code %d)"
                  % (left, probe.returncode))
            return 1
        controls = json.loads(probe.stdout.decode("ascii"))["controls"]
        assert any(c["name"] == INSTALL_BUTTON for c in controls)
        line = ("i686 installer smoke run: the window showed its install button %.0f s"
                " after the start (%.0f s in all, prefix included)"
                % (time.monotonic() - launched, time.monotonic() - started))
        print(line)
        if o.summary:
            with open(o.summary, "w") as f:
                f.write(line + "\n")
        return 0
    finally:
        subprocess.run(["wineserver", "-k"], env=env)


if __name__ == "__main__":
    sys.exit(main())
