#!/usr/bin/env python3
"""The demo run behind tools/demo.sh: starts the local package server and the report service
(collector/, storing into an SQLite file), runs the installer under Wine and prints the
install funnel of the reports the service received.

  demo_run.py interactive|drive --build BUILD_DIR --display-name NAME --collector COLLECTOR

interactive: the installer runs on the user's display until the user closes it.
drive:       nobody is watching (a virtual display): the demo installs by itself like a user
             would, saving a screenshot of every page to BUILD/screenshots/demo/.
Runs inside tools/with-wine (DISPLAY and the Wine prefix are ready there).
"""
import argparse
import os
import subprocess
import sys
import time
import types

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(top, "tools"))
import brightmere_harness as h  # noqa: E402


def options_for(build, display_name):
    return types.SimpleNamespace(
        source_dir=top, work_dir=os.path.join(build, "demo"),
        prefix=os.path.join(build, "wineprefix"),
        installer=os.path.join(build, "app", "brightmere-online-installer.exe"),
        package=os.path.join(build, "tools", "signing", "brightmereSetup.exe"),
        signing_root=os.path.join(build, "tools", "signing", "certs", "root.der"),
        trust_ca=os.path.join(build, "tools", "trust_test_ca.exe"),
        probe=os.path.join(build, "tests", "e2e", "ui_probe.exe"),
        url_recorder=os.path.join(build, "tests", "e2e", "url_recorder.exe"),
        display_name=display_name)


def drive(env):
    """Welcome page, install, success page, start the application."""
    run = env.launch()
    page = run.wait_for(lambda p: p.visible("立即安装"), "the welcome page")
    print("demo: %s" % run.screenshot("welcome", page))
    run.click(page.find("立即安装"))
    page = run.wait_for(lambda p: p.visible("progress_install", "progress"), "the install page")
    print("demo: %s" % run.screenshot("downloading", page))
    page = run.wait_for(lambda p: p.visible("立即体验") or p.visible("重新安装"), "the end", 180)
    print("demo: %s" % run.screenshot("finished", page))
    if page.visible("重新安装"):
        print("demo: the install failed: %s" % page.text_starting("失败原因："))
        run.kill()
        return 1
    run.click(page.find("立即体验"))
    code = run.wait_exit(30)
    h.wait_until("the installed application", lambda: [
        w for w in env.top_windows() if w["class"] == "DemoApp"], 30)
    print("demo: %s" % env.screenshot("%02d-application" % (run.shots + 1)))
    print("demo: the installer ended with exit code %d; the application runs" % code)
    env.close_app_windows()
    return 0


def print_reports(env, collector, database):
    for url in env.opened_urls():
        print("demo: web page opened: %s" % url)
    # The installer's last reports may still be on their way when it ends.
    time.sleep(2)
    print("demo: the report service's funnel of this install (%s):" % database)
    sys.stdout.flush()
    subprocess.call([collector, "report", "--db", database, "--since", "1d"])


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("mode", choices=("interactive", "drive"))
    p.add_argument("--build", required=True)
    p.add_argument("--display-name", required=True)
    p.add_argument("--collector", required=True)
    args = p.parse_args(argv)
    options = options_for(os.path.abspath(args.build), args.display_name)
    os.makedirs(options.work_dir, exist_ok=True)
    env = h.Harness(options, os.path.join(args.build, "screenshots", "demo"))
    env.start_servers()
    database_file = os.path.join(options.work_dir, "reports.db")
    for suffix in ("", "-wal", "-shm"):
        if os.path.exists(database_file + suffix):
            os.remove(database_file + suffix)
    database = "sqlite:" + database_file
    try:
        env.start_report_service(args.collector, database)
        env.set_scale(96)
        env.clean_install_state()
        if args.mode == "interactive":
            print("demo: the installer is on display %s; close it to end the demo"
                  % os.environ["DISPLAY"])
            run = env.launch(timeout=60)
            run.process.wait()
            result = 0
        else:
            result = drive(env)
        print_reports(env, args.collector, database)
        return result
    except h.Failure as failure:
        print("demo: %s" % failure, file=sys.stderr)
        print_reports(env, args.collector, database)
        return 1
    finally:
        for run in env.runs:
            run.kill()
        env.kill_setups()
        env.stop_servers()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
