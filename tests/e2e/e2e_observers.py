"""Observers of an installer run beyond its pages: how fast its window answers another
process, and what it left in the registry."""
import os
import subprocess

from brightmere_harness import APP_INFO_KEY, UNINSTALL_KEY, windows_path


class RoundTrips:
    """window_probe (another process) sending the installer window WM_NULL with
    SendMessageTimeout every interval, from now until finish()."""

    def __init__(self, env, tag, interval_ms=50):
        self.out = os.path.join(env.run_dir, "round-trips-%s.txt" % tag)
        self.stop = self.out + ".stop"
        for f in (self.out, self.stop):
            if os.path.exists(f):
                os.remove(f)
        self.process = subprocess.Popen(
            [os.path.join(env.o.source_dir, "tools", "wine-run"), env.prefix, env.o.window_probe,
             "ping", env.title, windows_path(self.out), windows_path(self.stop),
             str(interval_ms)],
            env=env.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)

    def finish(self, limit_ms):
        """(round trips, round trips over limit_ms, max ms). A round trip that timed out
        counts by its time: one that failed at once found the window gone at the end."""
        open(self.stop, "w").close()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
        rows = []
        if os.path.exists(self.out):
            with open(self.out) as f:
                rows = [line.split() for line in f if len(line.split()) == 3]
        times = [float(r[1]) for r in rows]
        return len(times), sum(1 for t in times if t > limit_ms), max(times or [0.0])


def registry_snapshot(env):
    """The installer's own keys and the uninstall entry in both views, as reg prints them."""
    texts = [env.reg("query", APP_INFO_KEY.rsplit("\\", 1)[0], "/s").stdout]
    texts += [env.reg("query", UNINSTALL_KEY, "/s", view).stdout for view in ("/reg:32", "/reg:64")]
    return b"\n".join(texts)
