"""What the end-to-end tests share: a fresh program folder with prepared data
files, the real Vellomir.exe started in it under Wine, and a look at its
windows from outside through vellomir_probe.exe.

Nothing here sleeps for long: every wait polls with a short interval and a
timeout."""

import datetime
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

WM_CLOSE = 0x0010
WM_POWERBROADCAST = 0x0218
BM_CLICK = 0x00F5
WM_SHOWMAINFORM = 1037
PBT_APMRESUMESUSPEND = 7

_EPOCH = datetime.datetime(1899, 12, 30)

# The Wine virtual desktop the hotkey tests run in.
DESKTOP_NAME = "VellomirTest"

# Date and time patterns the tests put into config.cfg, so that captions do
# not depend on the Wine prefix's locale.
DATE_FORMAT = "dd.mm.yyyy"
TIME_FORMAT = "hh:nn:ss"


class TestFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def to_tdatetime(moment):
    """A local datetime as the program stores it: days since 30 December 1899."""
    return (moment - _EPOCH).total_seconds() / 86400.0


def from_tdatetime(value):
    return _EPOCH + datetime.timedelta(days=value)


def whole_second(moment):
    return moment.replace(microsecond=0)


def caption_time(moment):
    """A moment as the note caption shows it with DATE_FORMAT and TIME_FORMAT."""
    return moment.strftime("%d.%m.%Y %H:%M:%S")


def weekday_number(moment):
    """1 = Sunday .. 7 = Saturday, as the program counts."""
    return moment.isoweekday() % 7 + 1


def format_number(value):
    return repr(float(value))


def write_ini(path, sections):
    """sections: list of (name, list of (key, value)); written with CR LF."""
    lines = []
    for name, keys in sections:
        lines.append("[%s]" % name)
        for key, value in keys:
            lines.append("%s=%s" % (key, value))
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("latin-1"))


def decode_file(data):
    """A data file's text: UTF-16 or UTF-8 by its byte-order mark, otherwise
    the ANSI code page of the test prefix (Windows-1252; bytes it leaves
    undefined as Latin-1)."""
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        return data.decode("utf-16")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", errors="replace")
    try:
        return data.decode("cp1252")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def read_ini(path):
    """{section lower-case: {key lower-case: value}}; first occurrence wins."""
    result = {}
    if not os.path.exists(path):
        return result
    current = None
    with open(path, "rb") as f:
        text = decode_file(f.read())
    for raw in re.split(r"\r\n|\r|\n", text):
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            end = line.find("]")
            name = (line[1:end] if end >= 0 else line[1:]).strip().lower()
            current = result.setdefault(name, {}) if name not in result else None
            continue
        if current is None or "=" not in line:
            continue
        key, value = line.split("=", 1)
        current.setdefault(key.strip().lower(), value.strip())
    return result


def poll(predicate, timeout, interval=0.3, what="condition"):
    """Calls predicate until it returns something true; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise TestFailure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class Window:
    def __init__(self, data):
        self.hwnd = data["hwnd"]
        self.cls = data["class"]
        self.title = data["title"]
        self.visible = data["visible"]
        self.rect = data.get("rect", [0, 0, 0, 0])
        self.controls = data["controls"]

    def control(self, cls=None, text=None, pattern=None):
        for c in self.controls:
            if cls is not None and c["class"].lower() != cls.lower():
                continue
            if text is not None and c["text"] != text:
                continue
            if pattern is not None and not re.search(pattern, c["text"]):
                continue
            return c
        return None

    def __repr__(self):
        return "<%s %r visible=%s>" % (self.cls, self.title, self.visible)


class Program:
    """One run of Vellomir.exe in its own temporary program folder."""

    def __init__(self, exe, probe, env):
        self.exe = exe
        self.probe = probe
        self.env = env
        self.folder = tempfile.mkdtemp(prefix="vellomir-e2e-")
        shutil.copy(exe, os.path.join(self.folder, "Vellomir.exe"))
        # Someone who has used the program before: a folder without any data
        # file greets a new user with a welcome event, which only the test of
        # the first start wants (it removes this file).
        open(os.path.join(self.folder, "events.ini"), "wb").close()
        self.process = None
        self.started_at = None

    # --- files -------------------------------------------------------------

    def path(self, name):
        return os.path.join(self.folder, name)

    def write_config(self, **options):
        """config.cfg with fixed date patterns and the given keys."""
        keys = [("DateFormat", DATE_FORMAT), ("TimeFormat", TIME_FORMAT)]
        keys += [(k, str(v)) for k, v in options.items()]
        write_ini(self.path("config.cfg"), [("Options", keys)])

    def write_events(self, events):
        """events: list of (name, dict of keys)."""
        write_ini(self.path("events.ini"), [(name, list(keys.items())) for name, keys in events])

    def events(self):
        return read_ini(self.path("events.ini"))

    def birthdays(self):
        return read_ini(self.path("birthdays.ini"))

    def config(self):
        return read_ini(self.path("config.cfg"))

    def log(self):
        try:
            with open(self.path("log.txt"), "rb") as f:
                return decode_file(f.read())
        except FileNotFoundError:
            return ""

    # --- the process ---------------------------------------------------------

    def start(self, desktop=False):
        """desktop: inside a Wine virtual desktop, the only place where global
        hotkeys reach the program on a display without a window manager."""
        self.started_at = datetime.datetime.now()
        self.process = self.launch(desktop)
        return self.process

    def launch_with(self, arguments):
        """Another start of the program, with these command-line arguments."""
        return subprocess.Popen(["wine", self.path("Vellomir.exe")] + list(arguments), cwd=self.folder,
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def launch(self, desktop=False):
        command = ["wine", self.path("Vellomir.exe")]
        if desktop:
            command = ["wine", "explorer", "/desktop=%s,1024x768" % DESKTOP_NAME, self.path("Vellomir.exe")]
        return subprocess.Popen(command, cwd=self.folder, env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def x_visible(self, title):
        """Whether a window with this title is mapped on the X display; what
        can be seen of windows inside a Wine virtual desktop, which the probe
        (on the default desktop) does not list."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title)],
                               env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return bool(found.stdout.split())

    def desktop_keys(self, spec):
        """Types keys (xdotool's names, e.g. shift+ctrl+m) into the virtual desktop."""
        found = poll(lambda: subprocess.run(["xdotool", "search", "--name", DESKTOP_NAME + " - Wine desktop"],
                                            env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                     .stdout.split(), 10, what="the Wine desktop window")
        window = found[0].decode()
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=self.env, timeout=10,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        done = subprocess.run(["xdotool", "key", spec], env=self.env, timeout=10)
        check(done.returncode == 0, "xdotool key %s failed" % spec)

    def wait_started(self, timeout=20):
        """Waits until the main window exists (shown or hidden)."""
        return poll(lambda: self.find(cls="TfrmMainList", title="Main Window"), timeout,
                    what="the main window")

    def stop(self):
        """Closes the program through its main window; ends the Wine session
        when that does not work. Also when the test failed half-way."""
        if self.process is None:
            return
        try:
            if self.process.poll() is None:
                main = self.find(cls="TfrmMainList")
                if main is not None:
                    self.post(main.hwnd, WM_CLOSE)
                self.process.wait(timeout=10)
        except Exception:  # noqa: BLE001 - whatever went wrong, end it
            self.kill()
        finally:
            self.process = None

    def kill(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        if self.process is not None:
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()

    def cleanup(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    # --- windows, through the probe ----------------------------------------------

    def run_probe(self, *args):
        done = subprocess.run(["wine", self.probe] + [str(a) for a in args], env=self.env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30)
        return done.returncode, done.stdout.decode("utf-8", errors="replace")

    def windows(self):
        code, out = self.run_probe("list")
        result = []
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("{"):
                try:
                    result.append(Window(json.loads(line)))
                except ValueError:
                    pass
        return result

    def find(self, cls=None, title=None, title_pattern=None, visible=None):
        for w in self.windows():
            if cls is not None and w.cls != cls:
                continue
            if title is not None and w.title != title:
                continue
            if title_pattern is not None and not re.search(title_pattern, w.title):
                continue
            if visible is not None and w.visible != visible:
                continue
            return w
        return None

    def wait_window(self, timeout, what=None, **criteria):
        return poll(lambda: self.find(**criteria), timeout, what=what or repr(criteria))

    def wait_gone(self, hwnd, timeout):
        poll(lambda: all(w.hwnd != hwnd for w in self.windows()), timeout, what="window %d to close" % hwnd)

    def post(self, hwnd, message, wparam=0, lparam=0):
        code, _ = self.run_probe("post", hwnd, message, wparam, lparam)
        check(code == 0, "posting message %d to window %d failed" % (message, hwnd))

    def send(self, hwnd, message, wparam=0, lparam=0):
        code, out = self.run_probe("send", hwnd, message, wparam, lparam)
        check(code == 0, "sending message %d to window %d failed" % (message, hwnd))
        return int(out.strip() or "0")

    def keys(self, hwnd, spec):
        code, _ = self.run_probe("keys", hwnd, spec)
        check(code == 0, "typing %s into window %d failed" % (spec, hwnd))

    def rows(self, hwnd):
        """The rows of a list view of the program: a list of column texts each."""
        code, out = self.run_probe("rows", hwnd)
        if code != 0:
            return None
        return [json.loads(line) for line in out.splitlines() if line.strip().startswith("[")]

    def list_rows(self, control_id):
        """The rows of one of the main window's lists (by control id)."""
        main = self.find(cls="TfrmMainList")
        check(main is not None, "no main window")
        control = next((c for c in main.controls if c["id"] == control_id), None)
        check(control is not None, "no list %d in the main window" % control_id)
        return self.rows(control["hwnd"])

    def type(self, hwnd, text):
        """Types text, in any script (what has no key comes as the character
        itself, as an input method gives it)."""
        code, _ = self.run_probe("type", hwnd, text)
        check(code == 0, "typing %r into window %d failed" % (text, hwnd))

    def set_text(self, hwnd, text):
        """WM_SETTEXT: a control's whole text at once."""
        code, _ = self.run_probe("settext", hwnd, text)
        check(code == 0, "setting the text of window %d failed" % hwnd)


def due_in(program, seconds):
    """A whole-second moment that many seconds from now."""
    return whole_second(datetime.datetime.now() + datetime.timedelta(seconds=seconds + 1))


def check_started_before(program, moment):
    """The program must be running before a prepared moment, or the test
    would measure the start-up pass instead of the scheduler."""
    program.wait_started()
    check(datetime.datetime.now() < moment - datetime.timedelta(seconds=0.5),
          "the program took too long to start (it must run before %s)" % moment.time())


def wait_gone_by_title(program, title, timeout):
    poll(lambda: program.find(title=title, visible=True) is None, timeout, what="%r to close" % title)
