"""The fault matrix: the real installer against a package server or a report collector that
misbehaves in one way, one row per fault and place. Each row states what must come of it (how
the download ends and on which attempt and URL, the requests each URL received, the reports,
the page shown, the registry, the window answering throughout) and what did, and prints both
as a table.

Places of a package-server fault:
  primary   the package URL (plain http) misbehaves, the fallback (https) serves the package
  fallback  the package URL answers 404, so every other attempt goes to the faulty fallback
  both      both URLs misbehave the same way
Collector faults hit the reports only: the install must go on as if nothing happened, and
leaving must not wait for reports that cannot be delivered.
"""
import glob
import os
import re
import time

from brightmere_harness import Failure, wait_until
from e2e_observers import RoundTrips, registry_snapshot
from e2e_scenarios import (ANY, START, CLICK_INSTALL, INSTALL_OK, RESULT_OK, DOWNLOAD_FAILED,
                           RESULT_DOWNLOAD_FAILED, DEFAULT_DIR, click_when,
                           reports_mismatch)

LEAST_PACKAGE = 10485760
STALL_SECONDS = 10  # the test build's stall limit (cmake/loopback-hosts.cmake)
# A trickle delivers the package over about this long: past the 10 s after which the install
# page offers the full package, and with a piece every second, never a stall.
TRICKLE_SECONDS = 20
# Below the installer's floor of 1 KiB/s over a stall limit: given up like a stall.
CRAWL_BYTES_PER_SECOND = 512
MAX_ROUND_TRIP_MS = 1500  # far below the 5 s after which the system calls a window hung
EXIT_SECONDS = 7  # leaving waits at most 3 s for reports; the rest is the process's own end

PORT_OF = {"package": "http", "fallback": "https"}
# A redirect to where it came from, and to the other scheme's always-serving path.
SELF_URL = {"package": "http://127.0.0.1:18480/caller?c=site&a=downloadPackage&loop=1",
            "fallback": "https://127.0.0.1:18481/brightmere/brightmereSetup.exe"}
OTHER_SCHEME_URL = {"package": "https://127.0.0.1:18481/plain/brightmereSetup.exe",
                    "fallback": "http://127.0.0.1:18480/plain/brightmereSetup.exe"}


class Fault:
    """refusal: what the failure report's errorMsg says when the installer refuses what it
    got (the default: the download engine's text)."""

    def __init__(self, name, how, apply, harmless=False, refusal=None):
        self.name, self.how, self.apply, self.harmless = name, how, apply, harmless
        self.refusal = refusal


def mode(name, arg=""):
    return lambda env, target: env.package_mode(target, name, arg)


def older_package(env, target):
    # Built and signed beside the served package (tools/signing): version 1.0.0.1, below the
    # test build's lowest accepted 2.0.0.0.
    env.package_mode(target, "file",
                     os.path.join(os.path.dirname(env.o.package), "brightmereSetup-older.exe"))


def trickle(env, target):
    rate = os.path.getsize(env.o.package) // TRICKLE_SECONDS
    env.package_mode(target, "slow", str(rate))


PACKAGE_FAULTS = [
    Fault("down", "nothing listens on the port",
          lambda env, target: env.package_listen(PORT_OF[target], False)),
    Fault("404", "status 404", mode("status", "404")),
    Fault("500", "status 500", mode("status", "500")),
    Fault("HTML page", "status 200 with a small HTML page", mode("html")),
    Fault("one byte short", "a package of 10,485,759 bytes", mode("size", str(LEAST_PACKAGE - 1))),
    Fault("not MZ", "the package with its first two bytes changed", mode("notmz")),
    Fault("trickle", "the package over about %d s, a piece each second" % TRICKLE_SECONDS,
          trickle, harmless=True),
    Fault("stall", "silent after 1 MiB", mode("stall", "1048576")),
    Fault("crawl", "%d bytes a second, below the floor" % CRAWL_BYTES_PER_SECOND,
          mode("slow", str(CRAWL_BYTES_PER_SECOND))),
    # No row for an endless stream (the server's "endless" mode): Wine's download engine
    # reports no progress for a body without a length and does not stop an aborted transfer
    # while data keeps coming, so under Wine the attempt would write until the disk is full.
    # The bound itself is checked in bind_status_callback_test.
    Fault("reset", "connection reset after 1 MiB", mode("reset", "1048576")),
    Fault("redirect loop", "302 to the same URL",
          lambda env, target: env.package_mode(target, "redirect", SELF_URL[target])),
    Fault("http<->https redirect", "302 to the package over the other scheme",
          lambda env, target: env.package_mode(target, "redirect", OTHER_SCHEME_URL[target]),
          harmless=True),
    Fault("downgrade", "an older package (1.0.0.1), correctly signed", older_package,
          refusal=re.compile(r"^Download Faild :package version: 1\.0\.0\.1 is lower than "
                             r"2\.0\.0\.0, the lowest accepted$")),
]


class Expected:
    """What a row must show. hits: target -> (least, most); most None for "or more"."""

    def __init__(self, installed, attempt, hits, cost=None, slow_hint=False):
        self.installed, self.attempt, self.hits = installed, attempt, hits
        self.cost, self.slow_hint = cost, slow_hint


def expected_for(fault, place):
    faulty = {"primary": ["package"], "fallback": ["fallback"], "both": ["package", "fallback"]}[place]
    if fault.harmless:
        attempt = 1 if place == "fallback" else 0
    else:
        attempt = 1 if place == "primary" else 6
    installed = attempt < 6
    made = attempt + 1 if installed else 6
    per_url = {"package": (made + 1) // 2, "fallback": made // 2}
    hits, faulty_attempts = {}, 0
    for target, count in per_url.items():
        if target in faulty:
            faulty_attempts += count
            if fault.name == "down":
                count = 0
        hits[target] = (count, None if fault.name == "redirect loop" and target in faulty
                        else count)
    hits["plain"] = (1, 1) if fault.name == "http<->https redirect" else (0, 0)
    cost = None
    if fault.name in ("stall", "crawl"):
        cost = (faulty_attempts * STALL_SECONDS, faulty_attempts * (STALL_SECONDS + 5) + 10)
    elif fault.name == "trickle":
        cost = (TRICKLE_SECONDS * 3 // 4, TRICKLE_SECONDS * 2 + 15)
    return Expected(installed, attempt, hits, cost, slow_hint=fault.name == "trickle")


# ---- observing a row ---------------------------------------------------------------------------

def install_recorded(env):
    return (env.read_record("InstallerPath") == DEFAULT_DIR
            and os.path.isfile(env.unix_path(DEFAULT_DIR + r"\brightmere.exe"))
            and env.has_uninstall_entry())


def package_folders(env):
    return [os.path.basename(f) for f in glob.glob(os.path.join(
        env.prefix, "drive_c", "users", "*", "AppData", "Roaming", "brightmere", "Files", "bm-*"))]


def wait_for_end(run, timeout):
    """Waits for the success page or the settled failure page; returns it and whether the
    slow-download hint showed on the way."""
    seen = {"hint": False}

    def ended(page):
        seen["hint"] = seen["hint"] or page.visible("安装过程太慢？")
        return page.visible("立即体验") or page.visible("重新安装")
    try:
        page = run.wait_for(ended, "the end of the install", timeout)
    except Failure as failure:
        now = run.read()
        run.screenshot("stuck", now)
        raise Failure("%s; the window shows %s" % (failure, now.visible_names() if now else
                                                      "nothing"))
    page = run.wait_for(lambda p: p.visible("btn_exit") and not p.visible("progress_install"),
                        "the end page to settle", 10)
    return page, seen["hint"]


def page_text(page):
    if page.visible("立即体验"):
        return "success page"
    reason = page.text_starting("失败原因：") or ""
    return "failure page (下载)" if reason.endswith("(下载)") else "failure page: %r" % reason


def hits_text(hits):
    parts = []
    for target in ("package", "fallback", "plain"):
        least, most = hits[target] if isinstance(hits[target], tuple) else (hits[target],) * 2
        if target == "plain" and most == 0:
            continue
        name = "redirected" if target == "plain" else target
        parts.append("%s %d%s" % (name, least, "+" if most is None else ""))
    return "requests " + ", ".join(parts)


def hits_match(observed, expected):
    return all(least <= observed[t] and (most is None or observed[t] <= most)
               for t, (least, most) in expected.items())


def attempt_text(installed, attempt):
    if not installed:
        return "failed after 6 attempts"
    return "ok on attempt %d (%s)" % (attempt, "fallback" if attempt % 2 else "package URL")


class Row:
    def __init__(self, fault, place):
        self.fault, self.place = fault, place  # texts for the table
        self.aspects = []  # (expected text, observed text, ok)

    def check(self, expected, observed, ok=None):
        self.aspects.append((expected, observed, expected == observed if ok is None else ok))

    @property
    def ok(self):
        return bool(self.aspects) and all(ok for _, _, ok in self.aspects)


def start_row(env, tag):
    env.clean_install_state()
    run = env.launch()
    page = run.wait_for(lambda p: p.visible("立即安装"), "the welcome page")
    return run, page, RoundTrips(env, tag)


def end_row(env, run, probe, row):
    count, slow, worst = probe.finish(MAX_ROUND_TRIP_MS)
    row.check("window answers within %d ms" % MAX_ROUND_TRIP_MS,
              "%d round trips, max %.0f ms" % (count, worst), count > 0 and slow == 0)
    run.kill()
    env.kill_setups()
    env.close_app_windows()


def package_row(env, fault, place):
    row = Row("%s (%s)" % (fault.name, fault.how), place)
    try:
        observe_package_row(env, fault, place, row)
    except Failure as failure:
        row.check("the row runs to its end", "FAILED: %s" % failure, False)
    return row


def observe_package_row(env, fault, place, row):
    expected = expected_for(fault, place)
    tag = re.sub(r"\W+", "-", "%s-%s" % (place, fault.name))
    env.package_reset()
    env.reports_reset()
    run, page, probe = start_row(env, tag)
    try:
        if place == "fallback":
            env.package_mode("package", "status", "404")
        for target in {"primary": ["package"], "fallback": ["fallback"],
                       "both": ["package", "fallback"]}[place]:
            fault.apply(env, target)
        before = None if expected.installed else registry_snapshot(env)
        click_when(run, "立即安装", "the install button")
        page, hint = wait_for_end(run, 180)
        run.screenshot(tag, page)
    finally:
        end_row(env, run, probe, row)

    want = [START, CLICK_INSTALL]
    if expected.installed:
        want += [("DownloadTimeCost", {"cost": ANY, "fileSize": str(os.path.getsize(env.o.package)),
                                       "ret": "0", "retryTime": str(expected.attempt)}),
                 INSTALL_OK, RESULT_OK]
    elif fault.refusal:
        want += [DOWNLOAD_FAILED, ("InstallResultReport", {"result": "faild",
                                                           "errorMsg": fault.refusal})]
    else:
        want += [DOWNLOAD_FAILED, RESULT_DOWNLOAD_FAILED]
    try:
        reports = env.wait_reports(len(want), 15)
    except Failure:
        reports = env.reports()
    cost = [d for e, d in reports if e == "DownloadTimeCost"]
    if cost:
        row.check(attempt_text(expected.installed, expected.attempt),
                  attempt_text(cost[0].get("ret") == "0", int(cost[0].get("retryTime", "-1"))))
    else:
        row.check(attempt_text(expected.installed, expected.attempt), "no DownloadTimeCost report",
                  False)
    hits = env.package_hits()
    row.check(hits_text(expected.hits), hits_text(hits), hits_match(hits, expected.hits))
    if expected.cost:
        least, most = expected.cost
        seconds = int(cost[0]["cost"]) if cost else -1
        row.check("took %d-%d s" % (least, most), "took %d s" % seconds, least <= seconds <= most)
    if expected.slow_hint:
        row.check("slow-download hint shown", "slow-download hint %s" % ("shown" if hint else
                                                                          "not shown"))
    mismatch = reports_mismatch(reports, want)
    row.check("%d reports" % len(want), mismatch or "%d reports" % len(want))
    row.check("success page" if expected.installed else "failure page (下载)", page_text(page))
    if expected.installed:
        row.check("install recorded", "install recorded" if install_recorded(env) else
                  "install not recorded")
    else:
        after = registry_snapshot(env)
        folder = os.path.exists(env.unix_path(DEFAULT_DIR))
        row.check("registry and folder untouched",
                  "registry %s, folder %s" % ("untouched" if after == before else "CHANGED",
                                              "created" if folder else "untouched"),
                  after == before and not folder)
    left = package_folders(env)
    row.check("no package folder left", "package folders left: %s" % left if left else
              "no package folder left")


# ---- collector faults --------------------------------------------------------------------------

EVENTS = ["AppStart", "OnClick", "DownloadTimeCost", "InstallTimeCost", "InstallResultReport"]
COLLECTOR_FAULTS = [
    ("down", "nothing listens on the port"),
    ("500", "status 500 to every report"),
    ("hang", "reads each report and never answers"),
    ("reset", "reads each report and resets the connection"),
]


def events_text(reports):
    return " ".join(event for event, _ in reports) or "none"


def collector_row(env, name, how):
    row = Row("%s (%s)" % (name, how), "collector")
    try:
        observe_collector_row(env, name, row)
    except Failure as failure:
        row.check("the row runs to its end", "FAILED: %s" % failure, False)
    return row


def observe_collector_row(env, name, row):
    tag = "collector-" + name
    env.package_reset()
    env.reports_reset()
    if name == "down":
        env.stop_collector()
    else:
        env.collector_mode(name)
    try:
        run, page, probe = start_row(env, tag)
        try:
            click_when(run, "立即安装", "the install button")
            page, _ = wait_for_end(run, 180)
            run.screenshot(tag, page)
            row.check("success page", page_text(page))
            row.check(hits_text({"package": 1, "fallback": 0, "plain": 0}),
                      hits_text(env.package_hits()))
            row.check("install recorded", "install recorded" if install_recorded(env) else
                      "install not recorded")
            run.click(page.find("立即体验"))
            clicked = time.monotonic()
            code = run.wait_exit(30)
            seconds = time.monotonic() - clicked
            row.check("ends with 0 within %d s of the start button" % EXIT_SECONDS,
                      "ends with %s after %.2f s" % (code, seconds),
                      code == 0 and seconds <= EXIT_SECONDS)
            # The application must be there, and be ended, before the next row: a running
            # brightmere.exe makes the next install ask to close it.
            try:
                wait_until("the application", env.app_windows, 30)
                started = "application started"
            except Failure:
                started = "no application window"
            row.check("application started", started)
        finally:
            end_row(env, run, probe, row)
        received = [] if name == "down" else env.reports()
    finally:
        if name == "down":
            env.start_collector()
        env.collector_mode("ok")  # lets held connections go
    events = [event for event, _ in received]
    if name == "down":
        row.check("nothing received", "nothing received (nothing listened)", True)
    elif name == "500":
        row.check("each report once: " + " ".join(EVENTS), "received: " + events_text(received),
                  events == EVENTS)
    elif name == "reset":
        twice = [e for e in EVENTS for _ in (0, 1)]
        row.check("each report twice (the second attempt): " + " ".join(twice),
                  "received: " + events_text(received), events == twice)
    else:
        # The first report holds the sending thread for two attempts of 15 s each: the
        # reports queue behind it, the install and the exit do not wait for them.
        distinct = [e for i, e in enumerate(events) if e not in events[:i]]
        row.check("reports held up, not the install: AppStart first, fewer than all arrived",
                  "received: " + events_text(received),
                  bool(events) and distinct == EVENTS[:len(distinct)] and len(distinct) < 5)


# ---- the table ---------------------------------------------------------------------------------

def cell(text):
    return text.replace("|", "\\|").replace("\n", " ")


def table(rows):
    lines = ["| Fault | Where | Expected | Observed | As expected |",
             "|---|---|---|---|---|"]
    for r in rows:
        expected = "; ".join(e for e, _, _ in r.aspects)
        observed = "; ".join(o if ok else "**%s**" % o for _, o, ok in r.aspects)
        lines.append("| %s | %s | %s | %s | %s |" % (cell(r.fault), r.place, cell(expected),
                                                     cell(observed), "yes" if r.ok else "**NO**"))
    return "\n".join(lines) + "\n"


def run_group(env, group):
    """All rows of one place; FAULT_ROWS="stall,reset" runs only the faults named."""
    only = [n for n in os.environ.get("FAULT_ROWS", "").split(",") if n]
    rows = []
    try:
        if group == "collector":
            for name, how in COLLECTOR_FAULTS:
                if not only or name in only:
                    rows.append(collector_row(env, name, how))
        else:
            for fault in PACKAGE_FAULTS:
                if not only or fault.name in only:
                    rows.append(package_row(env, fault, group))
    finally:
        text = table(rows)
        folder = os.path.join(env.o.work_dir, "fault-matrix")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, group + ".md"), "w", encoding="utf-8") as f:
            f.write(text)
        print(text)
    bad = [r for r in rows if not r.ok]
    if bad:
        raise Failure("%d of %d rows not as expected: %s"
                      % (len(bad), len(rows), ", ".join("%s/%s" % (r.fault, r.place) for r in bad)))


GROUPS = {"fault_matrix_" + g: (lambda env, g=g: run_group(env, g))
          for g in ("primary", "fallback", "both", "collector")}
