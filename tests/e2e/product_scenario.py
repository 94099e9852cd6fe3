"""A product built from another product folder (--product), installed through its window: its
own install folder, executable, records, uninstall entry, report name and vocabulary. Buttons
are found by the product's own texts."""
import glob
import os

from brightmere_harness import Failure

SCALES = ((96, 100), (120, 125), (144, 150))


def expect(condition, message):
    if not condition:
        raise Failure(message)


def welcome(env, run, label):
    page = run.wait_for(lambda p: p.visible(env.text("install_now")) and p.visible("btn_exit"),
                        "the welcome page")
    run.screenshot(label, page)
    return page


def product_install(env):
    s = env.product
    expect(s is not None, "this scenario needs --product")
    install_dir = "C:\\Program Files (x86)\\" + s["install_folder"]
    # The welcome page at the two larger scales first: the window and its images scale.
    for dpi, scale in SCALES[1:]:
        env.set_scale(dpi)
        run = env.launch()
        page = welcome(env, run, "welcome-%d" % scale)
        expect(page.data["w"] == 600 * scale // 100, "window is %d wide at %d %%"
               % (page.data["w"], scale))
        run.kill()
    env.set_scale(96)
    env.clean_install_state()
    env.reports_reset()

    run = env.launch()
    page = welcome(env, run, "welcome-100")
    folder = page.all_named("edit_installdir", "edit")[0].get("value")
    expect(folder == install_dir, "install folder %r, expected %r" % (folder, install_dir))
    run.click(page.find(env.text("install_now")))
    start, again = env.text("start_now"), env.text("reinstall")
    page = run.wait_for(lambda p: p.visible(start) or p.visible(again), "the end of the install",
                        120)
    expect(page.visible(start), "the install failed: %s; reports %s"
           % (page.visible_names(), env.reports()))
    page = run.wait_for(lambda p: p.visible("btn_exit"), "the close button", 5)
    run.screenshot("installed", page)

    exe = os.path.join(install_dir, s["app_exe_name"])
    expect(os.path.isfile(env.unix_path(exe)), "%s is not installed" % exe)
    expect(env.read_record("InstallerPath") == install_dir,
           "InstallerPath is %r" % env.read_record("InstallerPath"))
    expect(env.has_uninstall_entry(), "no uninstall entry %s" % env.uninstall_key)
    left = glob.glob(os.path.join(env.prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                  env.package_folders))
    expect(not left, "package folders left: %s" % left)

    run.click(page.find("btn_exit"))
    expect(run.wait_exit(20) == 0, "the installer did not end with 0")
    env.wait_collector_settled()
    reports = env.reports()
    expect([event for event, _ in reports] == ["AppStart", "OnClick", "DownloadTimeCost",
                                               "InstallTimeCost", "InstallResultReport"],
           "reports: %s" % reports)
    names = {cookies.get("appname") for cookies in env.report_cookies()}
    expect(names == {s["report_app_name"]}, "report appname cookies %s" % names)

    # Started again, it finds the product by its records; leaving says so in the product's
    # own report vocabulary.
    env.reports_reset()
    run = env.launch()
    page = welcome(env, run, "welcome-installed")
    run.click(page.find("btn_exit"))
    expect(run.wait_exit(20) == 0, "the installer did not end with 0")
    env.wait_collector_settled()
    reports = env.reports()
    expect(reports[1:] == [("OnClick", {"btn_exit": s["report_exit_start_installed"]})],
           "reports on leaving: %s" % reports)
