"""The settings of the real program under Wine: the profile in the registry, the controls, autostart,
the sound test (heard through an ALSA file device) and the choice of a file in the system's open dialog."""

import os
import shutil
import subprocess
import time
import wave

import harness
from harness import IDC_APMLIMIT, IDC_AUTOSTART, IDC_BEEPEVERY, IDC_SHOWALERT, IDC_SHOWAPM, IDC_SHOWTIMER, IDC_SOUND
from harness import PROFILE_KEY, RUN_KEY, RUN_VALUE

IDC_BROWSE, IDC_TEST = 1007, 1014
FILE_NAME = 0x47C  # the open dialog's file name box
MAKE_SOUND = os.path.join(harness.ROOT, "tools", "make_sound.py")
DEFAULTS = {"AUTOSTART": "0x0", "APMLIMIT": "0x32", "BEEPFREQ": "0x2", "showapm": "0x1", "showalert": "0x0",
            "showtimer": "0x0"}


def main_key(program="cadro"):
    return rf"{PROFILE_KEY}\{program}\MAIN"


def make_sound(path, seconds):
    subprocess.run(["python3", MAKE_SOUND, path, "--seconds", str(seconds)], check=True)
    return path


def frames(path):
    with wave.open(path) as w:
        return w.readframes(w.getnframes())


def audible(data):
    """The 16-bit samples that are not silence. A device starved by a loaded machine plays silence in
    between, which lands in the recording: every sound sample must still arrive, in order, and nothing else."""
    return [data[i:i + 2] for i in range(0, len(data) - 1, 2) if data[i:i + 2] != b"\0\0"]


class SettingsTest(harness.E2ETestCase):
    def setUp(self):
        # Registered before the base class's clean-up, so it runs after the program has been closed.
        self.addCleanup(self.dump_registry, "after")
        super().setUp()
        self.reset_cadro_registry()

    # Helpers.

    def dump_registry(self, when):
        text = ""
        for key in (PROFILE_KEY, RUN_KEY):
            code, out = self.session.wine_run("reg", "query", key, "/s")
            text += f"> reg query {key} /s  (exit {code})\n{out}\n"
        with open(os.path.join(self.artifacts, f"registry-{when}.txt"), "w") as f:
            f.write(text)
        print(f"--- registry {when} {self.id()} ---\n{text}", flush=True)

    def control(self, control_id):
        """What the main window's control shows: {'text': ..., 'check': ..., 'enabled': ...}."""
        return super().control("Cadro!", control_id)

    def control_of(self, title, control_id):
        return harness.E2ETestCase.control(self, title, control_id)["text"]

    def profile(self, program="cadro"):
        return {name: self.reg_query(main_key(program), name)
                for name in list(DEFAULTS) + ["SOUNDWAV", "LASTDIR"]}

    def close_cadro(self, cadro):
        self.assertTrue(self.driver("close").ok)
        self.assertIsNotNone(cadro.wait(10), "Cadro did not end after close")
        self.wait_idle(20)

    def copy_program(self, folder, name):
        """A copy of the program (with the hook library it needs) under another name and folder."""
        os.makedirs(folder, exist_ok=True)
        shutil.copy(self.session.exe("cadro.exe"), os.path.join(folder, name + ".exe"))
        shutil.copy(self.session.exe("ravik.dll"), folder)
        return os.path.join(folder, name + ".exe")

    def start_program(self, exe):
        p = harness.WinProcess(exe, [], os.path.join(self.artifacts, f"{len(self.processes)}-copy.out"))
        p.name = "cadro.exe"  # so that the clean-up closes it like the original
        self.processes.append(p)
        self.assertTrue(self.driver("wait-window", 15).ok, "the copy's window did not appear")
        return p

    def choose_in_open_dialog(self, path):
        """Clicks '...', types path into the open dialog's file name box and presses Open."""
        self.assertTrue(self.driver("click", IDC_BROWSE).ok)
        self.assertTrue(self.probe("wait", "Open", 10).ok, "the open dialog did not appear")
        # Typed only once the dialog is shown with a control focused: keys sent earlier go nowhere.
        ready = lambda: (lambda info: info["visible"] == "1" and info["focus"] != "0")(
            self.fields("info", "Open", need=("visible", "focus")))
        self.assertTrue(self.wait_until(ready, 10), "the open dialog took no focus")
        self.screenshot("open-dialog")
        window = subprocess.run(["xdotool", "search", "--name", "^Open$"], env=self.session.env,
                                capture_output=True, text=True).stdout.split()
        self.assertTrue(window, "the open dialog is not on the X display")
        # The dialog has the keyboard focus in its file name box, as a user finds it.
        # Typed as real key events to the focused window: sent to a window, shifted characters lose their shift.
        subprocess.run(["xdotool", "windowfocus", "--sync", window[0], "type", "--delay", "5", path],
                       env=self.session.env, check=True)
        typed = lambda: self.control_of("Open", FILE_NAME) == path
        self.assertTrue(self.wait_until(typed, 5), f"the file name box shows {self.control_of('Open', FILE_NAME)!r}")
        # Pressed as a real key too: sent to the window, the release can find the window already gone.
        subprocess.run(["xdotool", "windowfocus", "--sync", window[0], "key", "Return"], env=self.session.env, check=True)
        self.assertTrue(self.probe("gone", "Open", 10).ok, "the open dialog did not close")

    # Tests.

    def test_first_run_stores_the_defaults_under_the_programs_name(self):
        self.dump_registry("before")
        cadro = self.start_cadro()
        default_sound = harness.winpath(self.session.exe("apmsounds")) + "\\cadro.wav"
        self.assertEqual(self.control(IDC_APMLIMIT)["text"], "50")
        self.assertEqual(self.control(IDC_BEEPEVERY)["text"], "2")
        self.assertEqual(self.control(IDC_SOUND)["text"], default_sound)
        self.assertEqual([self.control(i)["check"] for i in (IDC_AUTOSTART, IDC_SHOWAPM, IDC_SHOWALERT, IDC_SHOWTIMER)],
                         ["0", "1", "0", "0"])
        self.assertEqual(self.control(IDC_SHOWALERT)["enabled"], "1")
        self.close_cadro(cadro)
        self.assertEqual(self.profile(), dict(DEFAULTS, SOUNDWAV=default_sound, LASTDIR=None))
        self.assertIsNone(self.reg_query(RUN_KEY, RUN_VALUE))

        # Under another name the program starts afresh, under that name; the first one's profile stays.
        self.reg_add(main_key(), "APMLIMIT", 99, "REG_DWORD")
        copy = self.copy_program(os.path.join(self.artifacts, "renamed"), "apmtool")
        tool = self.start_program(copy)
        self.assertEqual(self.control(IDC_APMLIMIT)["text"], "50")
        self.close_cadro(tool)
        copy_sound = harness.winpath(os.path.dirname(copy)) + "\\apmsounds\\cadro.wav"
        self.assertEqual(self.profile("apmtool"), dict(DEFAULTS, SOUNDWAV=copy_sound, LASTDIR=None))
        self.assertEqual(self.reg_query(main_key(), "APMLIMIT"), "0x63")

        # A cleared sound path is saved empty; the next start fills in the default again.
        cadro = self.start_cadro()
        self.assertTrue(self.driver("settext", IDC_SOUND, "").ok)
        self.close_cadro(cadro)
        self.assertEqual(self.reg_query(main_key(), "SOUNDWAV"), "")
        cadro = self.start_cadro()
        self.assertEqual(self.control(IDC_SOUND)["text"], default_sound)
        self.close_cadro(cadro)

    def test_stored_values_show_in_the_controls_and_are_saved_back(self):
        stored = {"AUTOSTART": 1, "APMLIMIT": 120, "BEEPFREQ": 4294967291, "showapm": 0, "showalert": 1,
                  "showtimer": 1}
        for name, value in stored.items():
            self.reg_add(main_key(), name, value, "REG_DWORD")
        self.reg_add(main_key(), "SOUNDWAV", r"Z:\no\such\ping.wav")
        self.dump_registry("before")
        cadro = self.start_cadro()
        self.assertEqual(self.control(IDC_APMLIMIT)["text"], "120")
        self.assertEqual(self.control(IDC_BEEPEVERY)["text"], "-5")
        self.assertEqual(self.control(IDC_SOUND)["text"], r"Z:\no\such\ping.wav")
        self.assertEqual([self.control(i)["check"] for i in (IDC_AUTOSTART, IDC_SHOWAPM, IDC_SHOWALERT, IDC_SHOWTIMER)],
                         ["1", "0", "1", "1"])
        self.assertEqual(self.control(IDC_SHOWALERT)["enabled"], "0")  # the APM is not shown
        self.close_cadro(cadro)
        self.assertEqual(self.profile(), {"AUTOSTART": "0x1", "APMLIMIT": "0x78", "BEEPFREQ": "0xfffffffb",
                                          "showapm": "0x0", "showalert": "0x1", "showtimer": "0x1",
                                          "SOUNDWAV": r"Z:\no\such\ping.wav", "LASTDIR": None})
        self.assertIsNone(self.reg_query(RUN_KEY, RUN_VALUE), "loading must not create the autostart entry")

    def test_values_that_cannot_be_read_give_their_defaults_and_the_rest_loads(self):
        self.reg_add(main_key(), "APMLIMIT", "fast")  # text where a number belongs
        self.reg_add(main_key(), "showapm", 7, "REG_DWORD")
        self.reg_add(main_key(), "SOUNDWAV", 5, "REG_DWORD")
        self.reg_add(main_key(), "BEEPFREQ", 9, "REG_DWORD")
        self.reg_add(main_key(), "showtimer", 1, "REG_DWORD")
        self.dump_registry("before")
        cadro = self.start_cadro()
        self.assertEqual(self.control(IDC_APMLIMIT)["text"], "50")
        self.assertEqual(self.control(IDC_BEEPEVERY)["text"], "9")
        self.assertEqual(self.control(IDC_SOUND)["text"],
                         harness.winpath(self.session.exe("apmsounds")) + "\\cadro.wav")
        self.assertEqual(self.control(IDC_SHOWAPM)["check"], "1")
        self.assertEqual(self.control(IDC_SHOWTIMER)["check"], "1")

        # A number field with letters is refused without a box: its value comes back, a balloon shows.
        self.assertTrue(self.driver("settext", IDC_APMLIMIT, "lots").ok)
        self.assertTrue(self.driver("click", IDC_SHOWAPM).ok)  # any exchange from the controls
        self.assertTrue(self.wait_until(lambda: self.control(IDC_APMLIMIT)["text"] == "50", 3))
        self.assertEqual(self.control(IDC_SHOWALERT)["enabled"], "0")
        self.screenshot("refused-number")
        self.assertIn("enabled 1", self.probe("info", "Cadro!").out)  # a modal box would disable it
        self.close_cadro(cadro)
        self.assertEqual(self.reg_query(main_key(), "APMLIMIT"), "0x32")
        self.assertEqual(self.reg_query(main_key(), "showapm"), "0x0")

    def test_autostart_box_writes_the_quoted_run_value_and_removes_it(self):
        # A folder with a blank shows why the path is quoted.
        copy = self.copy_program(os.path.join(self.artifacts, "Cadro Tools"), "cadro")
        self.dump_registry("before")
        cadro = self.start_program(copy)
        expected = f'"{harness.winpath(copy)}" -auto'
        self.assertTrue(self.driver("click", IDC_AUTOSTART).ok)
        self.assertEqual(self.wait_until(lambda: self.reg_query(RUN_KEY, RUN_VALUE), 5), expected)
        self.assertEqual(self.reg_query(main_key(), "AUTOSTART"), "0x1")
        self.assertTrue(self.driver("click", IDC_AUTOSTART).ok)
        self.assertTrue(self.wait_until(lambda: self.reg_query(RUN_KEY, RUN_VALUE) is None, 5))
        self.assertEqual(self.reg_query(main_key(), "AUTOSTART"), "0x0")

        # Without a Run key nothing is created and the setting is kept all the same.
        saved = harness.winpath(os.path.join(self.artifacts, "run-key.reg"))
        self.assertEqual(self.session.wine_run("reg", "export", RUN_KEY, saved, "/y")[0], 0)
        self.reg_delete(RUN_KEY)
        self.addCleanup(self.session.wine_run, "reg", "import", saved)
        self.assertTrue(self.driver("click", IDC_AUTOSTART).ok)
        self.assertEqual(self.wait_until(lambda: self.reg_query(main_key(), "AUTOSTART") == "0x1", 5), True)
        self.control(IDC_AUTOSTART)  # answered only once the click's handler has run to its end
        self.assertNotEqual(self.session.wine_run("reg", "query", RUN_KEY)[0], 0, "a Run key was created")
        self.assertTrue(cadro.running())
        self.close_cadro(cadro)
        self.assertEqual(self.reg_query(main_key(), "AUTOSTART"), "0x1")

    def test_test_button_plays_the_sound_once(self):
        raw = os.path.join(self.artifacts, "played.raw")
        self.dump_registry("before")
        cadro = self.start_cadro_hearing(raw)
        default_sound = self.session.exe(os.path.join("apmsounds", "cadro.wav"))

        # The default sound, made by the build, reaches the sound device sample for sample.
        self.assertTrue(self.driver("click", IDC_TEST).ok)
        want = frames(default_sound)
        self.wait_until(lambda: os.path.exists(raw) and os.path.getsize(raw) >= len(want), 10)
        with open(raw, "rb") as f:
            self.assertEqual(audible(f.read()), audible(want))

        # PlaySound is synchronous: while a long sound plays, the window answers no message. A message
        # sent once the device has begun to fill is answered only when the whole sound has been written.
        long_sound = make_sound(os.path.join(self.artifacts, "long.wav"), 8)
        whole = len(frames(long_sound))
        self.assertTrue(self.driver("settext", IDC_SOUND, harness.winpath(long_sound)).ok)
        started = time.monotonic()
        self.control(IDC_SHOWAPM)
        answer = time.monotonic() - started
        os.remove(raw)
        self.assertTrue(self.driver("click", IDC_TEST).ok)
        self.assertTrue(self.wait_until(lambda: os.path.exists(raw) and os.path.getsize(raw) > 0, 10, 0.02))
        before = os.path.getsize(raw)
        started = time.monotonic()
        self.control(IDC_SHOWAPM)
        blocked = time.monotonic() - started
        with open(raw, "rb") as f:
            after = f.read()
        print(f"a message took {answer:.2f} s idle and {blocked:.2f} s while the 8 s sound played "
              f"({before} of {whole} bytes written when it was sent, {len(after)} when it was answered)", flush=True)
        self.assertLess(before, whole, "the sound was over before the message was sent")
        self.assertEqual(audible(after), audible(frames(long_sound)),
                         "the window answered before the whole sound was played")

        # An empty path plays nothing.
        os.remove(raw)
        self.assertTrue(self.driver("settext", IDC_SOUND, "").ok)
        self.assertTrue(self.driver("click", IDC_TEST).ok)
        self.control(IDC_SHOWAPM)  # answered only after the click has been handled
        time.sleep(0.5)
        self.assertFalse(os.path.exists(raw) and os.path.getsize(raw) > 0, "something was played")
        self.close_cadro(cadro)

    def test_choosing_a_file_in_the_open_dialog_sets_the_field_and_the_last_folder(self):
        chosen = make_sound(os.path.join(self.artifacts, "chosen.wav"), 0.3)
        # A last folder that no longer exists still opens the dialog.
        self.reg_add(main_key(), "LASTDIR", r"Z:\gone\away\old.wav")
        self.dump_registry("before")
        cadro = self.start_cadro()
        self.choose_in_open_dialog(harness.winpath(chosen))
        self.assertTrue(self.wait_until(lambda: self.control(IDC_SOUND)["text"] == harness.winpath(chosen), 5),
                        self.control(IDC_SOUND))
        self.assertEqual(self.reg_query(main_key(), "LASTDIR"), harness.winpath(chosen))
        self.close_cadro(cadro)
        self.assertEqual(self.reg_query(main_key(), "SOUNDWAV"), harness.winpath(chosen))
        self.assertEqual(self.reg_query(main_key(), "LASTDIR"), harness.winpath(chosen))


if __name__ == "__main__":
    harness.main()
