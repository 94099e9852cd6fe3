#!/usr/bin/env python3
"""Runs one end-to-end scenario of the installer: the real executable under Wine, on the test
display, driven through its accessibility tree and real clicks (tools/brightmere_harness.py).

  e2e_driver.py --source-dir S --work-dir W --prefix P --installer EXE --package PKG
                --signing-root DER --trust-ca EXE --probe EXE --url-recorder EXE
                --window-probe EXE --demo-app EXE --display-name NAME SCENARIO

Screenshots of every page go to W/screenshots/SCENARIO/. Exit code 0 when the scenario
passed. Must run where DISPLAY and a warm wineserver are set up (tools/with-wine).
"""
import argparse
import os
import sys
import traceback

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(os.path.dirname(os.path.dirname(here)), "tools")]
import brightmere_harness as h  # noqa: E402
import e2e_scenarios  # noqa: E402
import fault_matrix  # noqa: E402
import product_scenario  # noqa: E402

SCENARIOS = dict(e2e_scenarios.SCENARIOS, **fault_matrix.GROUPS,
                 product_install=product_scenario.product_install)


def parse(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("source-dir", "work-dir", "prefix", "installer", "package", "signing-root", "trust-ca",
                 "probe", "url-recorder", "window-probe", "demo-app", "display-name"):
        p.add_argument("--" + name, required=True)
    p.add_argument("--product", help="the product folder the installer was built from, when it "
                   "is not the default product")
    p.add_argument("--title", help="the installer window's title (default: the display name "
                   "and the default product's suffix)")
    p.add_argument("scenario", choices=sorted(SCENARIOS))
    return p.parse_args(argv)


def main(argv):
    options = parse(argv)
    os.makedirs(options.work_dir, exist_ok=True)
    env = h.Harness(options, os.path.join(options.work_dir, "screenshots", options.scenario))
    if not os.environ.get("DISPLAY"):
        print("e2e: no DISPLAY; run through tools/with-wine", file=sys.stderr)
        return 1
    env.start_servers()
    try:
        env.set_scale(96)
        env.clean_install_state()
        SCENARIOS[options.scenario](env)
        retried = h.Harness.wine_exit_crashes
        print("e2e %s: passed; screenshots in %s%s" % (
            options.scenario, env.shot_dir,
            "; %d helper run(s) retried after Wine crashed in its exit" % retried if retried else ""))
        return 0
    except h.Failure as failure:
        print("e2e %s: FAILED: %s" % (options.scenario, failure), file=sys.stderr)
        env.screenshot("zz-failure")
        return 1
    except Exception:
        traceback.print_exc()
        env.screenshot("zz-failure")
        return 1
    finally:
        for run in env.runs:
            run.kill()
        env.kill_setups()
        env.close_app_windows()
        env.set_scale(96)
        env.clean_install_state()
        env.stop_servers()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
