"""Helpers for the end-to-end tests: Cadro and the simulated game run under Wine, driven from outside.

Under ctest the Wine session comes from the environment (CADRO_WINE, WINEPREFIX, DISPLAY, CADRO_BUILD).
Run by hand (python3 tests/e2e/test_x.py) without it, a private Xvfb and Wine prefix are made for the run
and removed afterwards by their own pids, also when a test fails.
"""

import atexit
import html.parser
import os
import queue
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINESERVER = "/usr/lib/wine/wineserver"

# Cadro's controls and private messages, as the tests address them.
IDOK = 1
IDC_START, IDC_LOG, IDC_EXIT = 1000, 1001, 1002
IDC_AUTOSTART, IDC_APMLIMIT, IDC_BEEPEVERY, IDC_SOUND = 1008, 1009, 1010, 1012
IDC_SHOWAPM, IDC_SHOWALERT, IDC_SHOWTIMER = 1015, 1016, 1017
WM_COMMAND, WM_SYSCOMMAND = 0x111, 0x112
WM_KEY_REPORT, WM_CLICK_REPORT, WM_START_LINK = 0x8E8, 0x8E9, 0x8EB

PROFILE_KEY = r"HKCU\Software\Vorkel"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
RUN_VALUE = "CADRO"


def _log(message):
    print(f"[e2e] {message}", file=sys.stderr, flush=True)


class Session:
    """The Wine session the tests run in: the one ctest provides, or a private one made here."""

    def __init__(self):
        self.wine = os.environ.get("CADRO_WINE")
        self.own_dir = None
        self.xvfb = None
        if not self.wine:
            # As tools/wine_env.sh chooses: the 64-bit build unless CADRO_ARCH asks for the 32-bit one.
            self.wine = "/usr/lib/wine/wine" if os.environ.get("CADRO_ARCH") == "i686" else "/usr/lib/wine/wine64"
        arch = "x86_64" if self.wine.endswith("64") else "i686"
        self.build = os.environ.get("CADRO_BUILD") or os.path.join(ROOT, "build", arch)
        self.bin = os.path.join(self.build, "bin")
        self.env = dict(os.environ)
        self.env.setdefault("WINEDEBUG", "-all")
        self.env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml,winealsa.drv,winepulse.drv=")
        if not (os.environ.get("WINEPREFIX") and os.environ.get("DISPLAY") and os.environ.get("CADRO_WINE")):
            self._start_private(arch)

    def _start_private(self, arch):
        self.own_dir = tempfile.mkdtemp(prefix="cadro-e2e.")
        atexit.register(self.stop)
        # A timeout or Ctrl-C ends the run with a signal: stop the tests (unittest lets only
        # KeyboardInterrupt through) so that the clean-up at exit still runs.
        def interrupt(*_):
            raise KeyboardInterrupt

        for sig in (signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, interrupt)
        self.env["WINEARCH"] = "win64" if arch == "x86_64" else "win32"
        self.env["WINEPREFIX"] = os.path.join(self.own_dir, "prefix")
        # Xvfb picks a free display itself and writes its number once it listens (see tools/wine_env.sh).
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as display:
            n = display.readline().strip()
        if not n:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = f":{n}"
        _log(f"private session: display :{n}, prefix {self.env['WINEPREFIX']}")
        self.wine_run("wineboot", "-i", timeout=120)
        # Without a window manager Wine waits 2 s whenever a window hides; unmanaged windows do not.
        self.wine_run("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        self.wait_idle(60)

    def stop(self):
        if self.own_dir is None:
            return
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
        self.wait_idle(10)
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
            self.xvfb = None
        shutil.rmtree(self.own_dir, ignore_errors=True)
        self.own_dir = None

    def exe(self, name):
        return os.path.join(self.bin, name)

    def wine_run(self, *args, timeout=60):
        """Runs a Wine command to its end: (exit code, stdout text with Unix line ends)."""
        # Output goes through a file, not a pipe: a command that starts the wineserver also starts Wine's
        # own services, which inherit its handles and would hold a pipe open long after the command ended.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run([self.wine, *args], env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                  stdin=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return done.returncode, out.read().decode("latin-1").replace("\r\n", "\n")

    def wait_idle(self, seconds):
        """Waits until every Wine process of the prefix has ended; False when that took too long."""
        try:
            subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def programs(self):
        """The Windows programs running in the prefix, as {unix pid: command line}, less Wine's own services
        (its server, and what runs from C:\\windows), which stay up between tests so that programs start warm."""
        marker = f"WINEPREFIX={self.env['WINEPREFIX']}".encode()
        found = {}
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                exe = os.readlink(f"/proc/{pid}/exe")
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    command = f.read().replace(b"\0", b" ").decode("latin-1").strip()
            except OSError:
                continue  # ended meanwhile, or not ours to read
            wine = exe.startswith("/usr/lib/wine/") and not os.path.basename(exe).startswith("wineserver")
            if wine and not command.lower().startswith("c:\\windows\\"):
                found[int(pid)] = command
        return found

    def wait_programs_gone(self, seconds):
        """Waits until no program of the tests runs in the prefix; False when one still does after seconds."""
        deadline = time.monotonic() + seconds
        while self.programs():
            if time.monotonic() >= deadline:
                return False
            time.sleep(0.05)
        return True


_session = None


def session():
    global _session
    if _session is None:
        _session = Session()
    return _session


def status_lines(path):
    """The simulated game's status log without its time stamps."""
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.rstrip("\n").split(" ", 1)[1] for line in f if " " in line]


def texts(log):
    """Cadro's log lines without their "hh:mm:ss " stamps."""
    return [line[9:] for line in log]


def winpath(path):
    """A Unix path as Windows programs under Wine see it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class WinProcess:
    """A Windows program running in the background; its stdout and stderr go to a file."""

    def __init__(self, exe, args, output_path):
        s = session()
        self.name = os.path.basename(exe)
        self.output_path = output_path
        self._out = open(output_path, "wb")
        self.popen = subprocess.Popen([s.wine, exe, *args], env=s.env, stdout=self._out, stderr=subprocess.STDOUT,
                                      stdin=subprocess.DEVNULL)

    def running(self):
        return self.popen.poll() is None

    def wait(self, seconds):
        """The exit code, or None when the program is still running after seconds."""
        try:
            return self.popen.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.running():
            self.popen.terminate()
            if self.wait(3) is None:
                self.popen.kill()
                self.popen.wait()
        self._out.close()

    def output(self):
        with open(self.output_path, "rb") as f:
            return f.read().decode("latin-1").replace("\r\n", "\n")


class DriverResult:
    def __init__(self, code, out):
        self.code = code
        self.ok = code == 0
        self.out = out
        self.lines = [line for line in out.split("\n") if line]

    def __repr__(self):
        return f"DriverResult(code={self.code}, out={self.out!r})"


class Served:
    """A test tool answering every command of a test from one Wine process (its --serve mode, see
    tests/e2e/serve.h): (exit code, output) as if it had been started with those words."""

    END = "\x1e"

    def __init__(self, exe, stderr_path):
        s = session()
        self._err = open(stderr_path, "ab")
        self.popen = subprocess.Popen([s.wine, exe, "--serve"], env=s.env, stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=self._err)
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.popen.stdout:
            self.lines.put(line.decode("latin-1").rstrip("\r\n"))
        self.lines.put(None)

    def alive(self):
        return self.popen.poll() is None

    def __call__(self, words, timeout):
        self.popen.stdin.write(("\t".join(words) + "\n").encode("latin-1"))
        self.popen.stdin.flush()
        out, deadline = [], time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                self.close()
                raise TimeoutError(f"no answer to {words} within {timeout} s")
            if line is None:
                raise RuntimeError(f"{os.path.basename(self.popen.args[1])} ended (exit {self.popen.wait()})")
            if line.startswith(self.END):
                return int(line[1:]), "".join(f"{text}\n" for text in out)
            out.append(line)

    def close(self):
        if self.alive():
            self.popen.stdin.close()
            try:
                self.popen.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()
        self.reader.join(timeout=5)
        self.popen.stdout.close()
        self._err.close()


class Image:
    """An RGB picture read through ImageMagick (binary PPM), addressed as pixel(x, y) -> (r, g, b)."""

    def __init__(self, path):
        data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
        fields, pos = [], 0
        while len(fields) < 4:  # magic, width, height, maximum value
            match = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)").match(data, pos)
            fields.append(match.group(2))
            pos = match.end()
        assert fields[0] == b"P6", fields[0]
        self.width, self.height = int(fields[1]), int(fields[2])
        self.data = data[pos + 1:]

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def count(self, rect, colour):
        """How many pixels in rect (left, top, right, bottom; right and bottom excluded) equal colour."""
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right) if self.pixel(x, y) == colour)

    def box(self, rect, colour):
        """The smallest (left, top, right, bottom) holding every pixel of colour within rect, or None."""
        left, top, right, bottom = rect
        xs, ys = [], []
        for y in range(top, bottom):
            for x in range(left, right):
                if self.pixel(x, y) == colour:
                    xs.append(x)
                    ys.append(y)
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


WHITE, BLACK = (255, 255, 255), (0, 0, 0)


class E2ETestCase(unittest.TestCase):
    """Base of every end-to-end test: starts programs, drives them, and leaves the prefix idle."""

    def setUp(self):
        self.session = session()
        self.processes = []
        self.tools = {}
        self.artifacts = os.path.join(self.session.build, "e2e-artifacts", self.id())
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.addCleanup(self._stop_everything)  # runs even when setUp of a subclass fails

    def _stop_everything(self):
        if any(p.name == "cadro.exe" and p.running() for p in self.processes):
            with open(os.path.join(self.artifacts, "cadro-log.txt"), "w") as f:
                f.write(self.driver("log").out)
            self.driver("close")  # a clean end saves the settings, as a real user's would
            for p in self.processes:
                if p.name == "cadro.exe":
                    p.wait(3)
        for p in reversed(self.processes):
            p.stop()
        if not self.wait_idle(20):
            _log(f"{self.id()}: programs of the test still ran 20 s after it")

    # Programs.

    def start(self, exe_name, *args):
        """Starts bin/exe_name in the background; tearDown stops it if the test did not."""
        out = os.path.join(self.artifacts, f"{len(self.processes)}-{exe_name}.out")
        p = WinProcess(self.session.exe(exe_name), [str(a) for a in args], out)
        self.processes.append(p)
        return p

    def start_cadro(self, *args, window_seconds=15):
        p = self.start("cadro.exe", *args)
        self.assertTrue(self.driver("wait-window", window_seconds).ok, "Cadro's window did not appear")
        return p

    def start_cadro_hearing(self, raw, each_apart=False):
        """Starts Cadro with its sound going to ALSA's file device: every sound played lands in raw, or with
        each_apart each in a file of its own (raw, then raw.0001, raw.0002, ... in the order played)."""
        home = os.path.join(self.artifacts, "home")
        os.makedirs(home, exist_ok=True)
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            keep = " truncate false" if each_apart else ""
            f.write(f'pcm.!default {{ type file slave.pcm "null" file "{raw}" format "raw"{keep} }}\n')
        quiet = self.session.env
        overrides = quiet["WINEDLLOVERRIDES"].replace("winealsa.drv,", "")
        self.session.env = dict(quiet, HOME=home, WINEDLLOVERRIDES=overrides)
        try:
            return self.start_cadro()
        finally:
            self.session.env = quiet

    def start_sim(self, *args, after_link=True):
        """Starts the simulated game with its status log in the artifacts folder; returns (process, log path).
        Its plan's clock starts when Cadro's log ends in "Waiting for game..." (after Cadro's clearing
        writes, which would wipe a game begun earlier), unless after_link is False."""
        status = os.path.join(self.artifacts, f"sim-status-{len(self.processes)}.txt")
        p = self.start("sim.exe", "--status", winpath(status), *(["--after-link"] if after_link else []), *args)
        self.assertTrue(self.driver("wait-class", "SWarClass", 15).ok, "the game window did not appear")
        return p, status

    def wait_idle(self, seconds):
        """Ends the served test tools, then waits until no program of the test runs in the prefix (Wine's
        services stay); False, with what still runs in the output, when one still does after seconds."""
        for tool in self.tools.values():
            tool.close()
        self.tools = {}
        if self.session.wait_programs_gone(seconds):
            return True
        _log(f"still running: {self.session.programs()}")
        return False

    def tool(self, exe_name, *words, timeout=60):
        """Runs a command of a served test tool (started at its first use in a test): a DriverResult."""
        served = self.tools.get(exe_name)
        if served is None or not served.alive():
            err = os.path.join(self.artifacts, f"{exe_name}.err")
            served = self.tools[exe_name] = Served(self.session.exe(exe_name), err)
        return DriverResult(*served([str(w) for w in words], timeout))

    def driver(self, *args, timeout=60):
        """A command of tests/e2e/driver.cpp."""
        return self.tool("driver.exe", *args, timeout=timeout)

    def probe(self, *args):
        """A command of tests/e2e/window_probe.cpp: it looks at any of Cadro's dialogs by its title prefix."""
        return self.tool("window_probe.exe", *args)

    def fields(self, *args, need=(), seconds=5):
        """A probe report ("name value" lines) as a dict of text values. An answer that fails or lacks a
        field of need is not yet an answer: it is asked again until seconds have passed, then the test fails
        with what came back."""
        deadline = time.monotonic() + seconds
        while True:
            result = self.probe(*args)
            fields = dict((line.split(" ", 1) + [""])[:2] for line in result.lines)
            if result.ok and all(name in fields for name in need):
                return fields
            if time.monotonic() >= deadline:
                self.fail(f"window_probe {' '.join(map(str, args))} gave no full answer: {result}")
            time.sleep(0.2)

    def control(self, title, control_id):
        """What a control shows, asked of the control itself: text, style, enabled, visible, check."""
        return self.fields("control", title, control_id, need=("text", "style", "enabled", "visible", "check"))

    def wait_log_stable(self, last, seconds):
        """Waits until the log's newest line is last, at a moment when the program only waits silently
        (searching for the game): the log then cannot change while the test reads it twice."""
        if not self.wait_until(lambda: texts(self.log())[-1:] == [last], seconds, step=0.2):
            self.fail(f"the log does not end in {last!r} after {seconds} s:\n" + "\n".join(self.log()))

    def log(self):
        return self.driver("log").lines

    def wait_log(self, text, seconds):
        """Waits until a log line contains text; returns the log lines, fails the test with the log if not."""
        result = self.driver("wait-log", text, seconds, timeout=seconds + 30)
        if not result.ok:
            self.fail(f"no log line with {text!r} within {seconds} s; log:\n{result.out}")
        return result.lines

    def wait_until(self, condition, seconds, step=0.1):
        """Polls condition() until it is true; returns its last value."""
        deadline = time.monotonic() + seconds
        while True:
            value = condition()
            if value or time.monotonic() >= deadline:
                return value
            time.sleep(step)

    # Screen.

    def screenshot(self, name):
        """Saves the X root window as artifacts/name.png; returns the path (also printed)."""
        path = os.path.join(self.artifacts, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.session.env, check=True,
                       capture_output=True, timeout=30)
        print(f"screenshot: {path}", flush=True)
        return path

    # Registry.

    def reg_query(self, key, name):
        """The data of a registry value as text, or None when it does not exist."""
        code, out = self.session.wine_run("reg", "query", key, "/v", name)
        if code != 0:
            return None
        for line in out.split("\n"):
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def reg_add(self, key, name, data, kind="REG_SZ"):
        code, _ = self.session.wine_run("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f")
        self.assertEqual(code, 0, f"reg add {key} {name}")

    def reg_delete(self, key, name=None):
        """Deletes a value, or the whole key when name is None; a missing one is no error."""
        self.session.wine_run("reg", "delete", key, *(["/v", name] if name else []), "/f")

    def reset_cadro_registry(self):
        """Removes Cadro's settings and its autostart entry, which persist in the prefix between tests."""
        self.reg_delete(PROFILE_KEY)
        self.reg_delete(RUN_KEY, RUN_VALUE)



# The browser: Debian's chromium, headless, loading the pages Cadro writes as local files.

CHROMIUM = "/usr/bin/chromium"
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync"]


class Element:
    def __init__(self, tag, attrs, parent):
        self.tag, self.attrs, self.parent = tag, dict(attrs), parent
        self.children, self.parts = [], []

    def classes(self):
        return (self.attrs.get("class") or "").split()

    def text(self):
        return "".join(p if isinstance(p, str) else p.text() for p in self.parts)

    def find_all(self, tag=None, cls=None):
        found = []
        for child in self.children:
            if (tag is None or child.tag == tag) and (cls is None or cls in child.classes()):
                found.append(child)
            found.extend(child.find_all(tag, cls))
        return found


class Dom(html.parser.HTMLParser):
    """The serialised DOM as a tree of elements with their attributes and text."""

    VOID = {"meta", "br", "img", "input", "link", "hr", "circle", "line", "rect", "polyline", "path"}

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.root = Element("#root", [], None)
        self.current = self.root
        self.feed(text)
        self.close()

    def handle_starttag(self, tag, attrs):
        element = Element(tag, attrs, self.current)
        self.current.children.append(element)
        self.current.parts.append(element)
        if tag not in self.VOID:
            self.current = element

    def handle_startendtag(self, tag, attrs):
        element = Element(tag, attrs, self.current)
        self.current.children.append(element)
        self.current.parts.append(element)

    def handle_endtag(self, tag):
        node = self.current
        while node is not self.root and node.tag != tag:
            node = node.parent
        if node is not self.root:
            self.current = node.parent

    def handle_data(self, data):
        self.current.parts.append(data)


class BrowserTestCase(E2ETestCase):
    """An end-to-end test that also looks at a page in the browser."""

    def setUp(self):
        super().setUp()
        self.assertTrue(os.access(CHROMIUM, os.X_OK), "Debian's chromium is not installed")

    def chromium(self, path, *args):
        """Runs chromium headless on the page as a local file with a fresh profile; returns its stdout."""
        profile = tempfile.mkdtemp(prefix="cadro-chromium.")
        try:
            done = subprocess.run([CHROMIUM, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", *args,
                                   "file://" + os.path.abspath(path)],
                                  capture_output=True, timeout=120, stdin=subprocess.DEVNULL)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        self.assertEqual(done.returncode, 0, done.stderr.decode("utf-8", "replace")[-2000:])
        return done.stdout.decode("utf-8")

    def rendered(self, path):
        """The page's DOM as chromium rendered it (also kept with the artifacts)."""
        text = self.chromium(path, "--dump-dom")
        with open(os.path.join(self.artifacts, os.path.basename(path) + ".dom.html"), "w") as f:
            f.write(text)
        return Dom(text).root

    def page_screenshot(self, path, name, width, height):
        """Saves the page as chromium shows it in a window of width x height as artifacts/name.png."""
        shot = os.path.join(self.artifacts, name + ".png")
        self.chromium(path, f"--screenshot={shot}", f"--window-size={width},{height}", "--hide-scrollbars")
        image = Image(shot)
        self.assertEqual((image.width, image.height), (width, height))
        print(f"screenshot: {shot}", flush=True)
        return shot


# ctest's SKIP_RETURN_CODE for the e2e tests: a run whose tests were all skipped did not test anything.
SKIPPED = 77


class OwnTestsLoader(unittest.TestLoader):
    """Runs only the test cases a module defines: one imported from another test module would run twice."""

    def loadTestsFromModule(self, module, *, pattern=None):
        own = [c for c in vars(module).values()
               if isinstance(c, type) and issubclass(c, unittest.TestCase) and c.__module__ == module.__name__]
        return self.suiteClass(self.loadTestsFromTestCase(c) for c in own)


def main():
    result = unittest.main(verbosity=2, exit=False, testLoader=OwnTestsLoader()).result
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(SKIPPED if result.testsRun and len(result.skipped) == result.testsRun else 0)
