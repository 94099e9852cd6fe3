"""What the end-to-end tests, the demo and the bench need to run the real installer under Wine
like a user would: the local servers, the Wine prefix's registry and files, the installer
process, its window as an accessibility tree (ui_probe), real mouse and keyboard input
(xdotool) and screenshots (ImageMagick). Python standard library only; the one copy of these
helpers (tests/e2e, tools/demo_run.py and bench/bench.py import it from tools/).

    env = Harness(options)            # paths from the command line of e2e_driver.py
    env.start_servers()
    run = env.launch()
    page = run.wait_for(lambda p: p.visible("立即安装"))
    run.click(page.find("立即安装"))
    env.wait_reports(["AppStart", "OnClick", ...])

Every wait polls an observable condition with a time limit; nothing sleeps blindly.
"""
import glob
import hashlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

PACKAGE_PORT, FALLBACK_PORT, COLLECTOR_PORT = 18480, 18481, 18482
PACKAGE_CONTROL_PORT = 18484  # reaches the package server while its package ports are closed
INSTALL_ROOT = "Program Files (x86)/harrowfields"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\brightmere"
APP_INFO_KEY = r"HKCU\Software\brightmere\AppInfo"


class Failure(AssertionError):
    pass


def wait_until(what, condition, timeout, interval=0.25):
    """Polls condition() until it returns something true; returns that, or fails naming what."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_in_prefix(source_dir, prefix, args, env, timeout):
    """Runs a program in the Wine prefix to its end; a CompletedProcess with its output."""
    command = [os.path.join(source_dir, "tools", "wine-run"), prefix] + list(args)
    # Output through files, not pipes: Wine's services started on demand (the RPC service
    # behind cross-process MSAA, the desktop process) would inherit a pipe and hold it open
    # for good, and the read would never finish.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        done.stdout, done.stderr = out.read(), err.read()
    return done


def setup_processes(prefix):
    """The package's setup processes running in the Wine prefix: found by their
    silent-install command line ("/S" and "/D=...") and their WINEPREFIX."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                args = f.read().split(b"\0")
            if b"/S" not in args or not any(a.startswith(b"/D=") for a in args):
                continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=" + prefix).encode() in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def http_get(url, timeout=5):
    with urllib.request.urlopen(url, timeout=timeout) as answer:
        return answer.read().decode("utf-8")


class Page:
    """One reading of a window: its rectangle and its controls (dicts from ui_probe)."""

    def __init__(self, data):
        self.data = data
        self.controls = data["controls"]

    @property
    def rect(self):
        return self.data["x"], self.data["y"], self.data["w"], self.data["h"]

    def all_named(self, name, role=None):
        return [c for c in self.controls
                if c["name"] == name and (role is None or c.get("role") == role)]

    def find(self, name, role=None):
        """The visible control with this accessible name (its text, or its name without one)."""
        shown = [c for c in self.all_named(name, role) if "invisible" not in c.get("state", [])]
        if not shown:
            raise Failure("no visible control %r; visible: %s" % (name, self.visible_names()))
        return shown[0]

    def visible(self, name, role=None):
        return any("invisible" not in c.get("state", []) for c in self.all_named(name, role))

    def enabled(self, name, role=None):
        return "unavailable" not in self.find(name, role).get("state", [])

    def checked(self, name):
        return "checked" in self.find(name, "checkbox").get("state", [])

    def visible_names(self):
        return [c["name"] for c in self.controls if "invisible" not in c.get("state", [])]

    def text_starting(self, prefix):
        for c in self.controls:
            if c["name"].startswith(prefix) and "invisible" not in c.get("state", []):
                return c["name"]
        return None


class InstallerRun:
    """One installer process and its main window."""

    def __init__(self, harness, process, title):
        self.harness = harness
        self.process = process
        self.title = title
        self.shots = 0

    def read(self, target=None):
        """The window now, or None when it is not there."""
        return self.harness.probe_list(target or self.title)

    def wait_for(self, condition, what="the window", timeout=30, target=None):
        def check():
            if target is None and self.process.poll() is not None:
                raise Failure("the installer ended (exit code %s) while waiting for %s"
                              % (self.process.returncode, what))
            page = self.read(target)
            return page if page and condition(page) else None
        return wait_until(what, check, timeout)

    def focus(self):
        """Gives the installer window the X input focus (best effort: without a window
        manager the pointer decides, and the click itself activates the window)."""
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % self.title],
                               capture_output=True, text=True, timeout=20)
        for xid in found.stdout.split()[:1]:
            subprocess.run(["xdotool", "windowfocus", xid], capture_output=True, timeout=20)

    def click(self, control):
        """A real click at the control's centre, after bringing the window forward."""
        self.focus()
        x = control["x"] + control["w"] // 2
        y = control["y"] + control["h"] // 2
        self.harness.xdotool("mousemove", "--sync", str(x), str(y))
        self.harness.xdotool("click", "1")

    def press(self, control, target=None):
        """The control's default action through MSAA, for clicks a pointer cannot make."""
        self.harness.probe("press", target or self.title, str(control["id"]))

    def type_text(self, text):
        self.harness.xdotool("type", "--delay", "40", text)

    def key(self, *keys):
        self.harness.xdotool("key", *keys)

    def screenshot(self, label, page=None):
        self.shots += 1
        return self.harness.screenshot("%02d-%s" % (self.shots, label), page)

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the installer did not end within %d s" % timeout)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def product_text(product_dir, settings, key):
    """A text of a product in its default language, its name filled in."""
    table = os.path.join(product_dir, "lang", settings["default_language"], "strings.ini")
    with open(table, encoding="utf-8-sig") as f:
        for line in f:
            name, sep, value = line.partition("=")
            if sep and name.strip() == key:
                return value.strip().replace("{name}", settings["display_name"])
    raise Failure("%s has no %s" % (table, key))


class Harness:
    def __init__(self, options, shot_dir):
        self.o = options
        self.shot_dir = shot_dir
        self.prefix = options.prefix
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all")
        self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
        self.servers = []
        self.runs = []
        self.url_log = os.path.join(options.work_dir, "opened-urls.txt")
        self.title = getattr(options, "title", None) or options.display_name + " 安装程序"
        # Where the product under test keeps its state: the default product's, or those of
        # the product folder given with --product.
        self.product = None
        self.app_info_key, self.uninstall_key = APP_INFO_KEY, UNINSTALL_KEY
        self.install_roots = [INSTALL_ROOT, "Program Files/harrowfields"]
        self.package_folders = os.path.join("brightmere", "Files", "bm-*")
        if getattr(options, "product", None):
            sys.path.insert(0, os.path.join(options.source_dir, "cmake"))
            import product_settings
            s = self.product = product_settings.read(options.product)
            self.app_info_key = "HKCU\\" + s["registry_key"]
            self.uninstall_key = UNINSTALL_KEY.rsplit("\\", 1)[0] + "\\" + s["display_name"]
            top = s["install_folder"].split("\\")[0]
            self.install_roots = ["Program Files (x86)/" + top, "Program Files/" + top]
            self.package_folders = os.path.join(*s["data_folder"].split("\\"),
                                                s["package_folder_prefix"] + "*")
            if not getattr(options, "title", None):
                self.title = self.text("window_title")

    def text(self, key):
        """The text the product under test (--product) shows for `key`."""
        return product_text(self.o.product, self.product, key)

    # ---- Wine -------------------------------------------------------------------------------
    # Wine itself now and then dies in its own exit, after the program's work is done: ld.so's
    # assertion in _dl_fini, exit code 127. Not a fault of ours.
    WINE_EXIT_CRASH = b"Inconsistency detected by ld.so"
    wine_exit_crashes = 0

    def wine(self, *args, check=True, timeout=60, env=None):
        """Runs a helper program (probe, reg, the CA tool...) in the prefix; one that Wine's
        exit crashed under is run once more, and the retry is counted and printed. The
        installer is started by launch(), never through here, and never retried."""
        done = self._run_in_prefix(args, timeout, env)
        if done.returncode == 127 and self.WINE_EXIT_CRASH in done.stderr:
            Harness.wine_exit_crashes += 1
            print("e2e: Wine crashed in its own exit running %s; ran it again (retry %d)"
                  % (os.path.basename(args[0]), Harness.wine_exit_crashes), flush=True)
            done = self._run_in_prefix(args, timeout, env)
        if check and done.returncode != 0:
            raise Failure("%s failed (%d): %s" % (" ".join(args), done.returncode,
                                                   done.stderr.decode(errors="replace")[-400:]))
        return done

    def _run_in_prefix(self, args, timeout, env):
        return run_in_prefix(self.o.source_dir, self.prefix, args, env or self.env, timeout)

    def reg(self, *args, check=False):
        return self.wine("reg", *args, check=check)

    def probe(self, *args):
        return self.wine(self.o.probe, *args)

    def probe_list(self, target):
        done = self.wine(self.o.probe, "list", target, check=False)
        if done.returncode == 2:
            return None
        if done.returncode != 0:
            raise Failure("ui_probe list failed (%d): %s"
                          % (done.returncode, done.stderr.decode(errors="replace")[-400:]))
        return Page(json.loads(done.stdout.decode("ascii")))

    def top_windows(self):
        return json.loads(self.wine(self.o.probe, "windows").stdout.decode("ascii"))

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), check=True, timeout=20)

    def screenshot(self, name, page=None):
        """The screen, or the window of `page` with a margin, as a PNG in the shot folder."""
        os.makedirs(self.shot_dir, exist_ok=True)
        path = os.path.join(self.shot_dir, name + ".png")
        command = ["import", "-window", "root", "-display", os.environ["DISPLAY"]]
        if page is not None:
            x, y, w, h = page.rect
            margin = 24
            command += ["-crop", "%dx%d+%d+%d" % (w + 2 * margin, h + 2 * margin,
                                                 max(0, x - margin), max(0, y - margin)), "+repage"]
        subprocess.run(command + [path], check=True, timeout=30)
        return path

    # ---- prefix state -----------------------------------------------------------------------
    def prepare_prefix(self):
        """Trusts the test CA and makes the URL recorder the prefix's web browser."""
        tls = os.path.join(self.o.work_dir, "tls")
        subprocess.run([os.path.join(self.o.source_dir, "tools", "test_ca", "make_test_ca.sh"), tls],
                       check=True)
        self.tls = tls
        # The https server's CA and the package signer's root, once per prefix and root.
        for root in (os.path.join(tls, "ca.der"), self.o.signing_root):
            with open(root, "rb") as f:
                marker = os.path.join(self.prefix, "brightmere-test-ca-"
                                      + hashlib.sha1(f.read()).hexdigest()[:12])
            if not os.path.exists(marker):
                self.wine(self.o.trust_ca, windows_path(root))
                open(marker, "w").close()
        command = '"%s" "%s" "%%1"' % (windows_path(self.o.url_recorder), windows_path(self.url_log))
        for scheme in ("http", "https"):
            self.reg("add", r"HKCR\%s\shell\open\command" % scheme, "/ve", "/d", command, "/f",
                     check=True)

    def set_scale(self, dpi):
        """The display scale for installers started from now on (96 = 100 %)."""
        self.reg("add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                 "/d", str(dpi), "/f", check=True)

    def clean_install_state(self):
        """No records, no uninstall entry, no installed files, no opened pages."""
        self.reg("delete", self.app_info_key, "/v", "InstallerPath", "/f")
        self.reg("delete", self.app_info_key, "/v", "InstallerChannel", "/f")
        for view in ("/reg:32", "/reg:64"):
            self.reg("delete", self.uninstall_key, "/f", view)
        for root in self.install_roots + ["brightmere-e2e"]:
            shutil.rmtree(os.path.join(self.prefix, "drive_c", root), ignore_errors=True)
        # Package folders an installer ended from outside had no chance to remove.
        for folder in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*", "AppData",
                                             "Roaming", self.package_folders)):
            shutil.rmtree(folder, ignore_errors=True)
        if os.path.exists(self.url_log):
            os.remove(self.url_log)

    def read_record(self, value):
        done = self.reg("query", self.app_info_key, "/v", value)
        for line in done.stdout.decode("utf-8", errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0] == value:
                return parts[2] if len(parts) == 3 else ""
        return None

    def has_uninstall_entry(self):
        return any(self.reg("query", self.uninstall_key, view).returncode == 0
                   for view in ("/reg:32", "/reg:64"))

    def unix_path(self, windows):
        """C:\\a\\b -> the file in the prefix."""
        drive, rest = windows[0].lower(), windows[2:].replace("\\", "/").lstrip("/")
        return os.path.join(self.prefix, "dosdevices", drive + ":", rest)

    def opened_urls(self):
        if not os.path.exists(self.url_log):
            return []
        with open(self.url_log, encoding="utf-8") as f:
            return [line.strip() for line in f if line.strip()]

    # ---- servers ----------------------------------------------------------------------------
    def start_servers(self):
        self.prepare_prefix()
        run = os.path.join(self.o.work_dir, "run")
        os.makedirs(run, exist_ok=True)
        self.run_dir = run
        tools = os.path.join(self.o.source_dir, "tools")
        ports = os.path.join(run, "package.ports")
        if os.path.exists(ports):
            os.remove(ports)
        self.reports_log = os.path.join(run, "reports.jsonl")
        self.package_server = subprocess.Popen(
            ["python3", os.path.join(tools, "package_server.py"), "--package", self.o.package,
             "--port-file", ports, "--http-port", str(PACKAGE_PORT),
             "--https-port", str(FALLBACK_PORT), "--control-port", str(PACKAGE_CONTROL_PORT),
             "--cert", os.path.join(self.tls, "server.pem"),
             "--key", os.path.join(self.tls, "server.key")] + self.product_paths("package"),
            stdout=open(os.path.join(run, "package-server.out"), "w"), stderr=subprocess.STDOUT)
        self.servers.append(self.package_server)
        self.start_collector()
        self.wait_listening(self.package_server, ports)

    def product_paths(self, server):
        """The servers' paths for a product other than the default (--product): the paths of
        its package, fallback and report URLs."""
        if not self.product:
            return []
        path = lambda key: urllib.parse.urlsplit(self.product[key]).path
        if server == "report":
            return ["--path", path("report_url")]
        return ["--package-path", path("package_url"), "--fallback-path", path("fallback_url")]

    def start_collector(self, mode="ok"):
        """Starts the report collector; reports received before are forgotten."""
        port_file = os.path.join(self.run_dir, "collector.port")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.collector = subprocess.Popen(
            ["python3", os.path.join(self.o.source_dir, "tools", "report_collector.py"), "serve",
             "--port", str(COLLECTOR_PORT), "--port-file", port_file,
             "--log", self.reports_log, "--mode", mode] + self.product_paths("report"),
            stdout=open(os.path.join(self.run_dir, "collector.out"), "a"),
            stderr=subprocess.STDOUT)
        self.servers.append(self.collector)
        self.wait_listening(self.collector, port_file)

    def start_report_service(self, collector, database):
        """Replaces the test double on the report port with the real report service
        (collector/, a native program) storing into `database` ("sqlite:<file>")."""
        self.stop_collector()
        port_file = os.path.join(self.run_dir, "collector.port")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.collector = subprocess.Popen(
            [collector, "serve", "--db", database, "--listen", "127.0.0.1:%d" % COLLECTOR_PORT,
             "--port-file", port_file],
            stdout=open(os.path.join(self.run_dir, "collector.out"), "a"),
            stderr=subprocess.STDOUT)
        self.servers.append(self.collector)
        self.wait_listening(self.collector, port_file)

    def stop_collector(self):
        """Nothing listens on the collector's port until start_collector."""
        self.collector.terminate()
        self.collector.wait(10)
        self.servers.remove(self.collector)

    def wait_listening(self, server, port_file):
        def listening():
            if server.poll() is not None:
                raise Failure("a local server ended at start (ports %d-%d taken?), see %s"
                              % (PACKAGE_PORT, PACKAGE_CONTROL_PORT, self.run_dir))
            return os.path.exists(port_file)
        wait_until("the local servers", listening, 15, 0.1)

    def stop_servers(self):
        for s in self.servers:
            if s.poll() is None:
                s.terminate()
                s.wait(10)
        self.servers = []

    def package_control(self, request):
        return http_get("http://127.0.0.1:%d/_control/%s" % (PACKAGE_CONTROL_PORT, request))

    def package_mode(self, target, mode, arg=""):
        self.package_control("set?target=%s&mode=%s&arg=%s"
                             % (target, mode, urllib.parse.quote(arg, safe="")))

    def package_listen(self, port, on):
        """Closes ("http" or "https") port of the package server, or opens it again."""
        self.package_control("listen?port=%s&on=%d" % (port, 1 if on else 0))

    def package_reset(self):
        """Every target serves the package, both ports listen, the counts are 0."""
        self.package_control("reset")

    def package_hits(self):
        """Requests per target since the last reset: {"package": N, "fallback": M, "plain": P}."""
        return {name: int(count) for name, count in
                (line.split("=") for line in self.package_control("counts").split())}

    def package_requests(self):
        """The paths (with their queries) of the package requests since the last reset."""
        return self.package_control("requests").split()

    def reports_reset(self):
        http_get("http://127.0.0.1:%d/_control?reset=1" % COLLECTOR_PORT)

    def collector_mode(self, mode):
        http_get("http://127.0.0.1:%d/_control?mode=%s" % (COLLECTOR_PORT, mode))

    def reports(self):
        """The reports received since the last reset: (eventId, data) in arrival order."""
        text = http_get("http://127.0.0.1:%d/_records?format=json" % COLLECTOR_PORT)
        out = []
        for line in text.splitlines():
            if line.strip():
                record = json.loads(line)
                report = record.get("report") or {}
                out.append((report.get("eventId"), report.get("data") or {}))
        return out

    def report_cookies(self):
        """The cookies of each report received since the last reset, as {name: value}."""
        text = http_get("http://127.0.0.1:%d/_records?format=json" % COLLECTOR_PORT)
        return [dict(json.loads(line).get("cookies") or []) for line in text.splitlines()
                if line.strip()]

    def wait_collector_settled(self, timeout=15):
        """Until the collector has answered every connection that reached it before this
        call: what a process that has ended sent has then all been recorded."""
        wait_until("the collector to answer what reached it", lambda: http_get(
            "http://127.0.0.1:%d/_control?busy=1" % COLLECTOR_PORT).strip() == "0", timeout)

    def wait_reports(self, count, timeout=30):
        return wait_until("%d reports" % count,
                          lambda: (lambda r: r if len(r) >= count else None)(self.reports()),
                          timeout)

    # ---- the installer ----------------------------------------------------------------------
    def launch(self, env_extra=None, timeout=40, installer=None):
        """Starts the installer under test, or another build of it (`installer`)."""
        env = dict(self.env, **(env_extra or {}))
        log = open(os.path.join(self.o.work_dir, "installer.out"), "ab")
        process = subprocess.Popen(
            [os.path.join(self.o.source_dir, "tools", "wine-run"), self.prefix,
             installer or self.o.installer],
            env=env, stdout=log, stderr=subprocess.STDOUT)
        run = InstallerRun(self, process, self.title)
        self.runs.append(run)
        run.wait_for(lambda p: True, "the installer window", timeout)
        return run

    def signed_stamped_copies(self, channels):
        """The installer under test signed with the test signer the way a release is, then
        stamped once per channel: [(channel, path)]."""
        signing = os.path.join(self.o.source_dir, "tools", "signing")
        certs = os.path.dirname(self.o.signing_root)
        folder = os.path.join(self.o.work_dir, "stamped")
        os.makedirs(folder, exist_ok=True)
        signed = os.path.join(folder, "signed.exe")
        subprocess.run([os.path.join(signing, "sign_stub.sh"), "--in", self.o.installer,
                        "--out", signed, "--certs", os.path.join(certs, "signer-chain.pem"),
                        "--key", os.path.join(certs, "signer.key"),
                        "--ca", os.path.join(certs, "root.pem")], check=True)
        stamp = os.path.join(signing, "stamp_channel.py")
        copies = []
        for channel in channels:
            path = os.path.join(folder, "brightmere-online-installer-%s.exe" % channel)
            subprocess.run(["python3", stamp, "stamp", "--channel", channel, signed, path],
                           check=True)
            copies.append((channel, path))
        return copies

    def start_app(self):
        """Starts the demo application, a real running brightmere.exe, and returns once its
        window is up. close_app_windows ends it."""
        log = open(os.path.join(self.o.work_dir, "application.out"), "ab")
        subprocess.Popen([os.path.join(self.o.source_dir, "tools", "wine-run"), self.prefix,
                          self.o.demo_app], env=self.env, stdout=log, stderr=subprocess.STDOUT)
        return wait_until("the application's window", self.app_windows, 30)

    def app_windows(self):
        """The windows of the installed demo application."""
        return [w for w in self.top_windows()
                if w["title"] == self.o.display_name and w["class"] == "DemoApp"]

    def close_app_windows(self):
        """Ends the demo application started by a test, by its process id."""
        for w in self.app_windows():
            self.wine("taskkill", "/PID", str(w["pid"]), "/F", check=False)

    def kill_setups(self):
        """Ends setup runs a test left hanging, by process id."""
        for pid in setup_processes(self.prefix):
            try:
                os.kill(pid, 9)
            except OSError:
                pass
