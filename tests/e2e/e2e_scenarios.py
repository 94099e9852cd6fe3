"""The end-to-end scenarios: what a user does with the installer and what must come of it
(pages, reports received by the collector, registry records, installed files, opened pages).
Each takes a prepared Harness (servers running, no install state, 100 % scale)."""
import glob
import os
import re
import time
import urllib.parse

from brightmere_harness import Failure, wait_until

DEFAULT_DIR = r"C:\Program Files (x86)\harrowfields\brightmere"
OFFLINE_PAGE = "http://127.0.0.1:18483/offline/photo.html"
DOWNLOAD_TEXT = re.compile(r"^正在下载，请不要关闭：(\d+\.\d)%$")
INSTALL_TEXT = re.compile(r"^下载完成，正在安装，请不要关闭：(\d+\.\d)%$")


def expect(condition, message):
    if not condition:
        raise Failure(message)


def brief(reports):
    return ["%s %s" % (event, data) for event, data in reports]


def reports_mismatch(reports, expected):
    """Why the reports are not exactly these, in this order ((event, {key: value}) pairs, where
    a value may be a compiled pattern); None when they are."""
    if len(reports) != len(expected):
        return "expected %d reports, got %s" % (len(expected), brief(reports))
    for (event, data), (want_event, want_data) in zip(reports, expected):
        ok = event == want_event and set(data) == set(want_data)
        for key, want in want_data.items():
            value = data.get(key)
            ok = ok and (want.match(value or "") if hasattr(want, "match") else value == want)
        if not ok:
            return "report %s %s does not match %s %s; all: %s" % (
                event, data, want_event, want_data, brief(reports))
    return None


def expect_reports(env, expected, timeout=30):
    """The collector received exactly these reports (see reports_mismatch)."""
    reports = env.wait_reports(len(expected), timeout)
    mismatch = reports_mismatch(reports, expected)
    expect(mismatch is None, "reports: %s" % mismatch)
    return reports


ANY = re.compile(r"^-?\d+$")
START = ("AppStart", {"Dpi": "96", "FirstStart": "true", "Scale": "100"})
CLICK_INSTALL = ("OnClick", {"ClickSrc": "Install"})
CLICK_REINSTALL = ("OnClick", {"ClickSrc": "ReInstall"})
DOWNLOAD_OK = ("DownloadTimeCost", {"cost": ANY, "fileSize": ANY, "ret": "0", "retryTime": "0"})
DOWNLOAD_FAILED = ("DownloadTimeCost", {"cost": ANY, "ret": "1", "retryTime": "6"})
INSTALL_OK = ("InstallTimeCost", {"cost": ANY, "ret": "0", "retryTime": "0"})
RESULT_OK = ("InstallResultReport", {"result": "success"})
RESULT_DOWNLOAD_FAILED = ("InstallResultReport", {
    "result": "faild",
    "errorMsg": re.compile(r"^Download Faild :URLDownloadToFile hr = [0-9a-f]{8} size -?\d+ "
                           r"windows pop time = \d+$")})


def failure_page(run, timeout=90):
    """The failure page once it has settled: its buttons and the close button shown, the
    install page gone."""
    return run.wait_for(lambda p: p.visible("重新安装") or (
        p.visible("下载完整安装包", "button") and not p.visible("progress_install", "progress")
        and p.visible("btn_exit")), "the failure page", timeout)


def settled_failure_page(run, timeout=90):
    failure_page(run, timeout)
    return run.wait_for(lambda p: p.visible("btn_exit") and not p.visible("progress_install"),
                        "the failure page to settle", 5)


def welcome(env, run, label="welcome"):
    page = run.wait_for(lambda p: p.visible("立即安装"), "the welcome page")
    run.screenshot(label, page)
    return page


def click_when(run, name, what, role="button", timeout=30):
    page = run.wait_for(lambda p: p.visible(name, role) and p.enabled(name, role), what, timeout)
    run.click(page.find(name, role))
    return page


def install_until_success(env, run, tag=""):
    click_when(run, "立即安装", "the install button")
    page = run.wait_for(lambda p: p.visible("progress_install", "progress") or p.visible(
        "立即体验"), "the install page", 20)
    run.screenshot("installing" + tag, page)
    page = run.wait_for(lambda p: p.visible("立即体验") or p.visible("重新安装"),
                        "the end of the install", 120)
    expect(page.visible("立即体验"), "the install failed: %s; reports %s"
           % (page.text_starting("失败原因："), brief(env.reports())))
    page = run.wait_for(lambda p: p.visible("btn_exit"), "the close button on the success page", 5)
    run.screenshot("installed" + tag, page)
    return page


def expect_installed(env, directory):
    expect(env.read_record("InstallerPath") == directory,
           "InstallerPath record is %r, expected %r" % (env.read_record("InstallerPath"), directory))
    channel = env.read_record("InstallerChannel")
    expect(channel, "no InstallerChannel record")
    expect(os.path.isfile(env.unix_path(directory + r"\brightmere.exe")),
           "brightmere.exe is not in %s" % directory)
    expect(env.has_uninstall_entry(), "the setup left no uninstall entry")
    # The private package folder goes with its package once the setup has run.
    left = glob.glob(os.path.join(env.prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                  "brightmere", "Files", "bm-*"))
    expect(not left, "package folders left behind: %s" % left)


def start_app_and_exit(env, run):
    page = run.read()
    run.click(page.find("立即体验"))
    code = run.wait_exit(20)
    expect(code == 0, "the installer ended with exit code %s" % code)
    app = wait_until("the installed application's window", env.app_windows, 30)
    env.screenshot("%02d-application-started" % (run.shots + 1))
    return app


def successful_install(env, scale=100, dpi=96):
    run = env.launch()
    page = welcome(env, run)
    expect(page.data["w"] == 600 * scale // 100 and page.data["h"] == 400 * scale // 100,
           "window is %dx%d at %d %%" % (page.data["w"], page.data["h"], scale))
    folder = page.all_named("edit_installdir", "edit")[0].get("value")
    expect(folder == DEFAULT_DIR, "install folder %r" % folder)
    install_until_success(env, run)
    expect_reports(env, [("AppStart", {"Dpi": str(dpi), "FirstStart": "true",
                                       "Scale": str(scale)}),
                         CLICK_INSTALL, DOWNLOAD_OK, INSTALL_OK, RESULT_OK])
    expect_installed(env, DEFAULT_DIR)
    start_app_and_exit(env, run)
    expect(len(env.reports()) == 5, "reports after the start: %s" % brief(env.reports()))


def install_at_125_percent(env):
    env.set_scale(120)
    successful_install(env, 125, 120)


def install_at_150_percent(env):
    env.set_scale(144)
    successful_install(env, 150, 144)


def customize_bar_at_150_percent(env):
    """The customize bar grows and shrinks the window by its height at the display scale."""
    env.set_scale(144)
    run = env.launch()
    page = welcome(env, run)
    height, grow = page.data["h"], 48 * 150 // 100
    expect(height == 600, "window height %d at 150 %%" % height)
    run.click(page.find("自定义安装"))
    page = run.wait_for(lambda p: p.visible("更改目录"), "the customize bar", 10)
    run.screenshot("customize-open", page)
    page = run.wait_for(lambda p: p.data["h"] == height + grow,
                        "the window grown by %d (it is %d high)" % (grow, page.data["h"]), 10)
    run.click(page.find("btn_expand"))
    page = run.wait_for(lambda p: not p.visible("更改目录"), "the bar closed", 10)
    run.screenshot("customize-closed", page)
    run.wait_for(lambda p: p.data["h"] == height, "the window back to %d" % height, 10)


def failed_download_then_reinstall(env):
    env.package_mode("package", "status", "404")
    env.package_mode("fallback", "status", "404")
    run = env.launch()
    welcome(env, run)
    click_when(run, "立即安装", "the install button")
    page = settled_failure_page(run)
    run.screenshot("download-failed", page)
    reason = page.text_starting("失败原因：")
    expect(reason and reason.endswith("(下载)"), "failure reason line: %r" % reason)
    # Under Wine the engine reports success for a 404: the reason must still not be the
    # system's text for success.
    expect("success" not in reason.lower() and "成功" not in reason, "failure reason: %r" % reason)
    expect_reports(env, [START, CLICK_INSTALL, DOWNLOAD_FAILED, RESULT_DOWNLOAD_FAILED])
    run.click(page.find("重新安装"))
    page = run.wait_for(lambda p: p.visible("progress_install", "progress") or not p.visible(
        "重新安装"), "the install page after the reinstall click", 20)
    run.screenshot("reinstalling", page)
    expect_reports(env, [START, CLICK_INSTALL, DOWNLOAD_FAILED, RESULT_DOWNLOAD_FAILED,
                         CLICK_REINSTALL, DOWNLOAD_FAILED, RESULT_DOWNLOAD_FAILED], 90)
    page = settled_failure_page(run, 30)
    run.screenshot("download-failed-again", page)
    expect(not page.visible("重新安装"), "the reinstall button is still shown after a second failure")
    expect(run.process.poll() is None, "the installer ended")


def open_survey(env, run):
    page = welcome(env, run)
    run.click(page.find("btn_exit"))
    page = run.wait_for(lambda p: p.visible("直接退出"), "the survey page")
    run.screenshot("survey", page)
    expect(not page.visible("btn_exit"), "close button shown on the survey page")
    expect(not page.enabled("直接退出"), "quit enabled before any answer")
    return page


def exit_survey_from_welcome(env):
    run = env.launch()
    page = open_survey(env, run)
    expect_reports(env, [START, CLICK_REINSTALL])
    # A reason enables quitting, taking it back disables it again.
    run.click(page.find("下载错了，糊里糊涂下载了软件", "checkbox"))
    page = run.wait_for(lambda p: p.enabled("直接退出"), "quit enabled by a reason", 10)
    run.click(page.find("下载错了，糊里糊涂下载了软件", "checkbox"))
    page = run.wait_for(lambda p: not p.enabled("直接退出"), "quit disabled again", 10)
    # Two lines of text with a quote; then reasons 5 and 1, in that order.
    run.click(page.find("edit_feedback", "edit"))
    run.type_text('a"b')
    run.key("Return")
    run.type_text("c")
    page = run.wait_for(lambda p: p.enabled("直接退出"), "quit enabled by text", 10)
    typed = page.find("edit_feedback", "edit").get("value", "")
    expect(typed.replace("\r\n", "\n").replace("\r", "\n") == 'a"b\nc',
           "the feedback box holds %r" % typed)
    run.click(page.find("没有理由，就是不想安装", "checkbox"))
    run.click(page.find("本软件已经安装", "checkbox"))
    page = run.wait_for(lambda p: p.checked("本软件已经安装") and p.checked("没有理由，就是不想安装"),
                        "two reasons ticked", 10)
    run.screenshot("survey-answered", page)
    run.click(page.find("直接退出"))
    code = run.wait_exit(20)
    expect(code == 0, "exit code %s" % code)
    # Already there when the process has ended: nothing waits any longer.
    reports = env.reports()
    expect(reports[-1:] == [("OnClick", {"btn_exit": "Start a\u201dbc 已安装无理由"})],
           "last report is %s" % brief(reports[-1:]))
    expect_reports(env, [START, CLICK_REINSTALL,
                         ("OnClick", {"btn_exit": "Start a\u201dbc 已安装无理由"})], 1)


def failed_setup_close(env):
    run = env.launch({"BRIGHTMERE_DEMO_FAIL_RUNS": "1", "BRIGHTMERE_DEMO_FAIL_CODE": "2"})
    welcome(env, run)
    click_when(run, "立即安装", "the install button")
    page = settled_failure_page(run, 120)
    run.screenshot("setup-failed", page)
    reason = page.text_starting("失败原因：")
    expect(reason and reason.endswith("(安装)"), "failure reason line: %r" % reason)
    expect_reports(env, [START, CLICK_INSTALL, DOWNLOAD_OK,
                         ("InstallTimeCost", {"cost": ANY, "ret": "2", "retryTime": "3"}),
                         ("InstallResultReport", {"result": "faild",
                                                  "errorMsg": "Install Faild errorCode:2"})])
    env.clean_install_state()  # the failing package leaves nothing; make sure of it
    # Close, answer "no": the full-package page opens and the installer stays.
    run.click(page.find("btn_exit"))
    box = run.wait_for(lambda p: p.visible("退出安装"), "the message box", 15, "class:MsgBox")
    env.screenshot("%02d-close-box" % (run.shots + 1), box)
    content = box.all_named("content", "edit")[0].get("value")
    expect(content == '建议尽快下载完整安装包安装 "%s" 确定退出吗？' % env.o.display_name,
           "message box text %r" % content)
    expect(not run.read().data["enabled"], "the main window is not disabled under the box")
    run.click(box.find("下载完整安装包"))
    wait_until("the full-package page", lambda: OFFLINE_PAGE in env.opened_urls(), 15)
    expect(run.process.poll() is None, "the installer ended after 'no'")
    page = run.wait_for(lambda p: p.data["enabled"] and p.visible("重新安装"), "the failure page again", 15)
    # Close again, answer "yes": reported and ended.
    run.click(page.find("btn_exit"))
    box = run.wait_for(lambda p: p.visible("退出安装"), "the message box", 15, "class:MsgBox")
    run.click(box.find("退出安装"))
    code = run.wait_exit(20)
    expect(code == 0, "exit code %s" % code)
    reports = env.reports()
    expect(brief(reports[5:]) == brief([("OnClick", {"ClickSrc": "DownloadOffline"}),
                                        ("OnClick", {"btn_exit": "Failed 未安装"})]),
           "reports after the failure: %s" % brief(reports[5:]))


def leave_when_installed(env):
    # By the record: the recorded folder holds the application.
    folder = r"C:\brightmere-e2e\recorded"
    os.makedirs(os.path.dirname(env.unix_path(folder + r"\brightmere.exe")), exist_ok=True)
    with open(env.unix_path(folder + r"\brightmere.exe"), "wb") as f:
        f.write(b"MZ")
    env.reg("add", r"HKCU\Software\brightmere\AppInfo", "/v", "InstallerPath", "/d", folder, "/f",
            check=True)
    run = env.launch()
    page = welcome(env, run, "welcome-recorded")
    run.click(page.find("btn_exit"))
    expect(run.wait_exit(20) == 0, "exit code is not 0")
    expect_reports(env, [START, ("OnClick", {"btn_exit": "Start 已安装"})], 1)
    # By the uninstall list only, on the welcome page and after a failed download.
    env.clean_install_state()
    env.reports_reset()
    env.reg("add", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\brightmere",
            "/v", "DisplayName", "/d", env.o.display_name + " 2.1.0.7", "/f", "/reg:32", check=True)
    run = env.launch()
    page = welcome(env, run, "welcome-uninstall-entry")
    run.click(page.find("btn_exit"))
    expect(run.wait_exit(20) == 0, "exit code is not 0")
    expect_reports(env, [START, ("offline", {"result": "success"}),
                         ("OnClick", {"btn_exit": "Start 已安装"})], 1)
    env.reports_reset()
    env.package_mode("package", "status", "404")
    env.package_mode("fallback", "status", "404")
    run = env.launch()
    welcome(env, run)
    click_when(run, "立即安装", "the install button")
    page = settled_failure_page(run)
    run.click(page.find("btn_exit"))
    expect(run.wait_exit(20) == 0, "exit code is not 0")
    reports = env.reports()
    expect(brief(reports[-2:]) == brief([("offline", {"result": "success"}),
                                         ("OnClick", {"btn_exit": "Failed 已安装"})]),
           "reports on leaving after a failed download: %s" % brief(reports))


def progress_texts(env):
    """The install page's figure from the click to the setup phase, with the application
    running when the download ends: its prompt holds the bar at 90.0 %; "重试" while it runs
    asks again, "强制关闭" ends it and the setup phase goes on to 99.9 %."""
    env.package_mode("package", "slow", "600000")  # about 18 s for the package
    env.start_app()
    run = env.launch({"BRIGHTMERE_DEMO_HANG": "1"})
    welcome(env, run)
    click_when(run, "立即安装", "the install button")
    started = time.monotonic()
    seen, alert_at, shots = [], None, set()

    def note(page):
        label = page.text_starting("正在下载") or page.text_starting("下载完成")
        if label and (not seen or seen[-1] != label):
            seen.append(label)
        phase = "download" if label and label.startswith("正在") else "setup"
        if phase not in shots:
            shots.add(phase)
            run.screenshot("progress-" + phase, page)
        return label

    while time.monotonic() - started < 90:
        page = run.read()
        note(page)
        if not page.data["enabled"]:
            break  # a message box is up
        if alert_at is None and page.visible("安装过程太慢？"):
            alert_at = time.monotonic() - started
            run.screenshot("slow-download-hint", page)
            # Its link opens the full-package page; the download goes on.
            run.click(page.find("下载完整安装包", "button"))
            wait_until("the full-package page", lambda: OFFLINE_PAGE in env.opened_urls(), 15)
    prompt_text = '应用程序 "%s" 正在运行，是否强制关闭？' % env.o.display_name
    held = "正在下载，请不要关闭：90.0%"
    box = None
    for answer in ("重试", "强制关闭"):
        # A new box each time: "重试" closes the first and, the application still running,
        # shows another.
        box = run.wait_for(lambda p: p.visible(answer) and (
            box is None or p.data["hwnd"] != box.data["hwnd"]), "the running-application prompt",
            30, "class:MsgBox")
        env.screenshot("%02d-running-app-prompt" % (run.shots + 1), box)
        run.shots += 1
        content = box.all_named("content", "edit")[0].get("value")
        expect(content == prompt_text, "prompt text %r" % content)
        expect(box.visible("提示") and box.visible("重试") and box.visible("强制关闭"),
               "prompt title or buttons: %s" % box.visible_names())
        page = run.read()
        expect(note(page) == held, "label under the prompt: %r" % seen[-1:])
        bar = page.find("progress_install", "progress").get("value")
        expect(bar == "90%", "bar under the prompt: %r" % bar)
        expect(env.app_windows(), "the application was ended before %s" % answer)
        run.click(box.find(answer))
    wait_until("the application to be ended", lambda: not env.app_windows(), 15)

    while time.monotonic() - started < 120:
        label = note(run.read())
        if label and label.endswith("99.9%") and seen.count(label) == 1:
            # Stays at 99.9 while the setup runs.
            time.sleep(1.0)
            expect(run.read().text_starting("下载完成") == label, "moved past 99.9 %")
            run.screenshot("progress-capped", run.read())
            break
    print("progress labels seen:", seen)
    expect(seen and seen[-1] == "下载完成，正在安装，请不要关闭：99.9%", "never reached 99.9 %")
    download, setup = [], []
    for text in seen:
        d, i = DOWNLOAD_TEXT.match(text), INSTALL_TEXT.match(text)
        expect(d or i, "unexpected progress text %r" % text)
        expect(d is None or not setup, "download text %r after the setup phase began" % text)
        (download if d else setup).append(float((d or i).group(1)))
    # The page starts at 1.0 % (until the first 200 ms tick), then shows the download's own
    # figure: 0.1 % while the size is not known, 0.0 % before the first bytes. Once the
    # download moves, the figure never goes down; it reaches 90.0 % before the setup phase.
    rest = download[1:] if download[:1] == [1.0] else download
    while rest[:1] in ([0.0], [0.1]):
        rest = rest[1:]
    expect(rest == sorted(rest), "the download's figure went down: %s" % seen)
    expect(download and download[-1] == 90.0, "the download ended at %s, not 90.0" % download[-1:])
    expect(all(v >= 90.3 for v in setup) and setup == sorted(setup),
           "setup-phase figures: %s" % setup)
    expect(("OnClick", {"ClickSrc": "DownloadOffline"}) in env.reports(),
           "no report for the full-package link: %s" % brief(env.reports()))
    expect(alert_at is not None and alert_at > 9.0,
           "slow-download hint at %s s (expected after 10 s)" % alert_at)


def customize_install_folder(env):
    run = env.launch()
    page = welcome(env, run)
    height = page.data["h"]
    run.click(page.find("自定义安装"))
    page = run.wait_for(lambda p: p.visible("edit_installdir", "edit"), "the customize bar", 10)
    run.screenshot("customize-open", page)
    try:
        page = run.wait_for(lambda p: p.data["h"] == height + 48, "", 5)
        grown = None
    except Failure:
        grown = "the window did not grow by 48 with the bar open (it is %d high)" % page.data["h"]
    expect(page.find("edit_installdir", "edit").get("value") == DEFAULT_DIR,
           "install folder shown: %r" % page.find("edit_installdir", "edit").get("value"))
    run.click(page.find("更改目录"))
    chosen = choose_folder(env, run)
    wanted = chosen + r"\harrowfields\brightmere"
    page = run.wait_for(lambda p: p.find("edit_installdir", "edit").get("value") == wanted,
                        "the chosen folder in the box", 15)
    run.screenshot("folder-chosen", page)
    run.click(page.find("btn_expand"))
    page = run.wait_for(lambda p: p.data["h"] == height and not p.visible("edit_installdir"),
                        "the bar closed", 10)
    install_until_success(env, run)
    expect_installed(env, wanted)
    expect(not os.path.exists(env.unix_path(DEFAULT_DIR)), "installed into the default folder too")
    expect(grown is None, grown)


def choose_folder(env, run):
    """In the shell's folder browser, which opens on "Program Files (x86)", moves one folder up
    the list ("Program Files") with the keyboard and confirms; returns the chosen path."""
    pid = run.read().data["pid"]

    def dialog():
        return [w for w in env.top_windows()
                if w["pid"] == pid and w["class"] == "#32770" and w["w"] > 200]
    box = wait_until("the folder browser", dialog, 15)[0]
    run.shots += 1
    env.screenshot("%02d-folder-browser" % run.shots)
    run.key("Up")
    run.shots += 1
    env.screenshot("%02d-folder-browser-moved" % run.shots)
    run.key("Return")
    wait_until("the folder browser to close", lambda: not dialog(), 15)
    expect(box["title"], "the folder browser has no title")
    return r"C:\Program Files"


def alt_f4_ends_at_once(env):
    """Alt+F4 is the system's close: the process ends at once with exit code 0, with no
    survey, no dialog and no report beyond the start report."""
    run = env.launch()
    welcome(env, run)
    expect_reports(env, [START])
    run.focus()
    run.key("alt+F4")
    code = run.wait_exit(20)
    expect(code == 0, "the installer ended with exit code %s" % code)
    # Nothing may follow: whatever the ended process sent has reached the collector by now.
    env.wait_collector_settled()
    expect(len(env.reports()) == 1, "reports after Alt+F4: %s" % brief(env.reports()))


def stamped_channels(env):
    """One signed installer stamped with three channels: each copy asks for the package of its
    own channel and sends it in every report's channel cookie. The package answers 404, so no
    setup starts; each copy is ended once it has asked."""
    for channel, installer in env.signed_stamped_copies(["site_a_30001", "site_b_30002",
                                                         "site_c_30003"]):
        env.clean_install_state()
        env.package_reset()
        env.reports_reset()
        env.package_mode("package", "status", "404")
        env.package_mode("fallback", "status", "404")
        run = env.launch(installer=installer)
        welcome(env, run, "welcome-" + channel)
        click_when(run, "立即安装", "the install button")
        asked = wait_until("the package request", env.package_requests, 30)
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(asked[0]).query)
        expect(query.get("channel") == [channel],
               "the copy stamped %s asked for %s" % (channel, asked[0]))
        env.wait_reports(2)  # the start and the click
        cookies = [c.get("channel") for c in env.report_cookies()]
        expect(cookies and set(cookies) == {channel},
               "the copy stamped %s sent channel cookies %s" % (channel, cookies))
        run.kill()
        env.kill_setups()


SCENARIOS = {
    "successful_install": successful_install,
    "failed_download_then_reinstall": failed_download_then_reinstall,
    "exit_survey_from_welcome": exit_survey_from_welcome,
    "failed_setup_close": failed_setup_close,
    "leave_when_installed": leave_when_installed,
    "progress_texts": progress_texts,
    "customize_install_folder": customize_install_folder,
    "install_at_125_percent": install_at_125_percent,
    "install_at_150_percent": install_at_150_percent,
    "customize_bar_at_150_percent": customize_bar_at_150_percent,
    "alt_f4_ends_at_once": alt_f4_ends_at_once,
    "stamped_channels": stamped_channels,
}
