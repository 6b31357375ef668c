"""The About box and the main window's frame, run for real under Wine: opening from the system menu,
its texts on every opening, keyboard and read-only address, the three ways to close it, placement
(centring on the screen, over the main window, not for an "-auto" start) and settings left alone."""

import harness
from harness import IDC_SHOWALERT, IDC_SHOWAPM, IDOK, PROFILE_KEY, WM_SYSCOMMAND

MAIN, ABOUT = "Cadro!", "About cadro"
IDC_VERSION, IDC_ADDRESS = 1004, 1022
IDM_ABOUTBOX = 0x10
SC_MINIMIZE, SC_CLOSE, SC_RESTORE = 0xF020, 0xF060, 0xF120
BM_CLICK, WM_CHAR = 0x00F5, 0x0102
VK_TAB, VK_ESCAPE, VK_DELETE, VK_BACK = 0x09, 0x1B, 0x2E, 0x08

WS_BORDER, WS_THICKFRAME = 0x00800000, 0x00040000
WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00C00000, 0x00080000, 0x00020000, 0x00010000
WS_EX_APPWINDOW, ES_READONLY, WS_TABSTOP = 0x00040000, 0x0800, 0x00010000

ADDRESS = "https://cadro.example.org/"
SETTINGS_KEY = PROFILE_KEY + r"\cadro\MAIN"
# Distinct from every default, so a save of anything else would show; "Display APM" off.
PRESET = [
    ("AUTOSTART", "REG_DWORD", "0x0"),
    ("APMLIMIT", "REG_DWORD", "0x49"),
    ("BEEPFREQ", "REG_DWORD", "0x5"),
    ("SOUNDWAV", "REG_SZ", r"Z:\tmp\alert-test.wav"),
    ("showapm", "REG_DWORD", "0x0"),
    ("showalert", "REG_DWORD", "0x1"),
    ("showtimer", "REG_DWORD", "0x1"),
]
MAIN_SETTINGS_CONTROLS = (1008, 1009, 1010, 1012, 1015, 1016, 1017)


class AboutTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        for name, kind, data in PRESET:
            self.reg_add(SETTINGS_KEY, name, int(data, 16) if kind == "REG_DWORD" else data, kind)

    # The About box is looked at with tests/e2e/window_probe.exe; the driver addresses the main window only.

    def info(self, title):
        info = self.fields("info", title, need=("rect", "work", "style", "exstyle", "enabled", "iconic", "focus"))
        for name in ("rect", "work"):
            info[name] = tuple(int(n) for n in info[name].split())
        for name in ("style", "exstyle"):
            info[name] = int(info[name], 16)
        return info

    def control(self, title, control_id):
        fields = super().control(title, control_id)
        fields["style"] = int(fields["style"], 16)
        return fields

    def open_about(self):
        self.assertTrue(self.driver("post", WM_SYSCOMMAND, IDM_ABOUTBOX, 0).ok)
        self.assertTrue(self.probe("wait", ABOUT, 5).ok, "the About box did not open")

    def assert_closed(self):
        self.assertTrue(self.probe("gone", ABOUT, 3).ok, "the About box is still open")
        # The main window is enabled again just after the box has gone, so wait for it.
        self.assertTrue(self.wait_until(lambda: self.info(MAIN)["enabled"] == "1", 3),
                        "the main window stays disabled")

    def assert_centred(self, box, area):
        """box's centre is area's centre, to the pixel that the halving of odd sizes loses."""
        for axis, (low, high) in (("x", (0, 2)), ("y", (1, 3))):
            centre_box = (box[low] + box[high]) / 2
            centre_area = (area[low] + area[high]) / 2
            self.assertLessEqual(abs(centre_box - centre_area), 1, f"{axis}: {box} not centred in {area}")

    def main_settings_shown(self):
        return {i: (c["text"], c["check"], c["enabled"]) for i in MAIN_SETTINGS_CONTROLS
                for c in [self.control(MAIN, i)]}

    def saved_settings(self):
        return [(name, self.reg_query(SETTINGS_KEY, name)) for name, _, _ in PRESET]

    # Tests.

    def test_main_window_frame_and_placement(self):
        self.start_cadro()
        self.wait_log("Please start BW", 5)
        info = self.info(MAIN)
        for name, flag, field, present in [
            ("caption", WS_CAPTION, "style", True),
            ("system menu", WS_SYSMENU, "style", True),
            ("minimise box", WS_MINIMIZEBOX, "style", True),
            ("maximise box", WS_MAXIMIZEBOX, "style", False),
            ("sizing border", WS_THICKFRAME, "style", False),
            ("taskbar button", WS_EX_APPWINDOW, "exstyle", True),
        ]:
            with self.subTest(name):
                self.assertEqual(bool(info[field] & flag), present, f"{field} {info[field]:#010x}")
        self.assertEqual(info["zoomed"], "0")
        self.assert_centred(info["rect"], info["work"])
        start = self.control(MAIN, 1000)
        self.assertEqual((start["text"], start["visible"]), ("Start", "0"))
        print(f"main window at {info['rect']} on a work area of {info['work']}")
        self.screenshot("main-window")

    def test_warning_box_disabled_until_apm_display_is_ticked(self):
        self.start_cadro()
        self.wait_log("Please start BW", 5)
        self.assertEqual(self.control(MAIN, IDC_SHOWAPM)["check"], "0")
        alert = self.control(MAIN, IDC_SHOWALERT)
        self.assertEqual((alert["check"], alert["enabled"]), ("1", "0"), "preset showalert=1 is shown, disabled")
        self.assertTrue(self.driver("click", IDC_SHOWAPM).ok)
        self.assertTrue(self.wait_until(lambda: self.control(MAIN, IDC_SHOWALERT)["enabled"] == "1", 3))

    def test_every_opening_shows_the_texts_and_any_close_leaves_the_settings(self):
        self.start_cadro()
        self.wait_log("Please start BW", 5)
        main_title = self.info(MAIN)["title"]
        shown_before = self.main_settings_shown()
        closes = [
            ("OK", lambda: self.probe("post", ABOUT, IDOK, BM_CLICK, 0, 0)),
            ("Esc", lambda: self.probe("key", ABOUT, VK_ESCAPE)),
            ("close box", lambda: self.probe("post", ABOUT, 0, WM_SYSCOMMAND, SC_CLOSE, 0)),
        ]
        for opening, (how, close) in enumerate(closes, 1):
            with self.subTest(opening=opening, closed_by=how):
                self.open_about()
                about = self.info(ABOUT)
                self.assertEqual(about["title"], "About cadro")
                self.assertEqual(about["owner"], main_title)
                self.assertEqual(self.info(MAIN)["enabled"], "0", "the main window is disabled beneath it")
                self.assertEqual(about["focus"], str(IDOK), "the focus starts on OK")
                self.assertEqual(self.control(ABOUT, IDC_VERSION)["text"], "Cadro! 1.00R")
                address = self.control(ABOUT, IDC_ADDRESS)
                self.assertEqual(address["text"], ADDRESS)
                if opening == 1:
                    self.screenshot("about-box")
                    self.check_address_field(address)
                self.assertTrue(close().ok)
                self.assert_closed()
                self.assertEqual(self.main_settings_shown(), shown_before)

        self.driver("close")
        self.assertIsNotNone(self.processes[0].wait(5), "Cadro did not end")
        self.assertTrue(self.wait_idle(20))
        self.assertEqual(self.saved_settings(), [(name, data) for name, _, data in PRESET])

    def check_address_field(self, address):
        """Read-only, borderless and a tab stop; Tab alternates with OK; selectable and copyable."""
        self.assertTrue(address["style"] & ES_READONLY)
        self.assertTrue(address["style"] & WS_TABSTOP)
        self.assertFalse(address["style"] & WS_BORDER)
        for expected in (IDC_ADDRESS, IDOK, IDC_ADDRESS):
            self.assertTrue(self.probe("key", ABOUT, VK_TAB).ok)
            self.assertTrue(self.wait_until(lambda: self.info(ABOUT)["focus"] == str(expected), 2),
                            f"Tab did not move the focus to {expected}")
        # The focus is on the address now: typing, Delete and Backspace must not change it.
        self.assertTrue(self.probe("post", ABOUT, IDC_ADDRESS, WM_CHAR, ord("x"), 0).ok)
        for key in (VK_DELETE, VK_BACK):
            self.assertTrue(self.probe("key", ABOUT, key).ok)
        self.assertEqual(self.control(ABOUT, IDC_ADDRESS)["text"], ADDRESS)
        copied = self.fields("copy", ABOUT, IDC_ADDRESS)
        self.assertEqual(copied["sel"], f"0 {len(ADDRESS)}")
        self.assertEqual(copied["clip"], ADDRESS)
        # Back to OK, as the next opening must find it anyway.
        self.assertTrue(self.probe("key", ABOUT, VK_TAB).ok)

    def test_about_box_centred_over_the_main_window_or_the_screen(self):
        self.start_cadro()
        self.wait_log("Please start BW", 5)
        # Off the screen's centre, so that "over the main window" and "on the screen" differ.
        self.assertTrue(self.probe("move", MAIN, 40, 30).ok)
        self.assertTrue(self.wait_until(lambda: self.info(MAIN)["rect"][:2] == (40, 30), 2))
        main = self.info(MAIN)
        self.open_about()
        about = self.info(ABOUT)
        self.assert_centred(about["rect"], main["rect"])
        print(f"About box at {about['rect']} over the main window at {main['rect']}")
        self.assertTrue(self.probe("post", ABOUT, IDOK, BM_CLICK, 0, 0).ok)
        self.assert_closed()

        # Minimised, as when the box is opened from the taskbar button's menu: centred on the screen.
        self.assertTrue(self.driver("post", WM_SYSCOMMAND, SC_MINIMIZE, 0).ok)
        self.assertTrue(self.driver("wait-iconic", 3).ok)
        self.open_about()
        about = self.info(ABOUT)
        self.assert_centred(about["rect"], about["work"])
        print(f"About box at {about['rect']} with the main window minimised")
        self.assertTrue(self.probe("post", ABOUT, 0, WM_SYSCOMMAND, SC_CLOSE, 0).ok)
        self.assertTrue(self.probe("gone", ABOUT, 3).ok)

    def test_auto_start_is_not_centred(self):
        self.start_cadro("-auto")
        self.assertTrue(self.driver("wait-iconic", 3).ok)
        self.wait_log("Please start BW", 5)
        self.assertTrue(self.driver("post", WM_SYSCOMMAND, SC_RESTORE, 0).ok)
        # Restored, it stands where the template puts it: the top-left corner of the screen. The restore
        # clears the minimised state a moment before it moves the window, so both are read in one answer.
        restored = self.wait_until(lambda: (lambda i: i["iconic"] == "0" and i["rect"][:2] == (0, 0))(self.info(MAIN)), 3)
        self.assertTrue(restored, f"not restored to the top-left corner: {self.info(MAIN)}")


if __name__ == "__main__":
    harness.main()
