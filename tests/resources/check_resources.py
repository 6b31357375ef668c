#!/usr/bin/env python3
"""Checks the resources linked into built cadro.exe files against the layouts written out below.

Usage: check_resources.py EXE [--if-present EXE ...]
The first exe must exist; the ones after --if-present are checked when they have been built (the other
architecture's build). The tables here are written independently of app/res/cadro.rc: a template that
drifts from them (a wrong style bit, a class stored as a name instead of an atom, a control out of
order, an extra resource) fails.
"""

import os
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

import pe_resources as pe

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EN_US, FR_FR = 0x0409, 0x040C
BUTTON, EDIT, STATIC, LISTBOX = 0x0080, 0x0081, 0x0082, 0x0083
WS_VISIBLE = 0x10000000

# Every resource the program carries, and nothing else. String 101 lives in block 101 // 16 + 1 = 7.
EXPECTED_RESOURCES = {
    (pe.RT_DIALOG, 100, EN_US),
    (pe.RT_DIALOG, 102, EN_US),
    (pe.RT_STRING, 7, EN_US),
    (pe.RT_GROUP_ICON, 128, FR_FR),
    (pe.RT_ICON, 1, FR_FR),
    (pe.RT_MANIFEST, 1, EN_US),
}

ASM_V1, ASM_V3 = "urn:schemas-microsoft-com:asm.v1", "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
WINDOWS_SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
# Windows 7, 8, 8.1, and 10 and 11.
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}

# id, class, text, x, y, cx, cy, style. An int text is a resource ordinal.
ABOUT_CONTROLS = [
    (-1, STATIC, 128, 11, 10, 20, 20, 0x50000003),
    (1004, STATIC, "", 42, 10, 105, 8, 0x50020080),
    (-1, STATIC, "(c) 2026 the Cadro developers", 41, 25, 106, 8, 0x50020000),
    (1, BUTTON, "OK", 82, 84, 50, 14, 0x50030001),
    (-1, STATIC, "Thanks to everyone for suggestions, bugs, beta-testing, etc.", 15, 44, 193, 12, 0x50020000),
    (-1, STATIC, "For updates, please check out", 15, 59, 182, 10, 0x50020000),
    (1022, EDIT, "", 15, 68, 173, 12, 0x50010880),
]

MAIN_CONTROLS = [
    (-1, STATIC, "&Alert if APM goes below :", 10, 17, 80, 8, 0x50020000),
    (1009, EDIT, "", 97, 15, 32, 13, 0x50810080),
    (-1, STATIC, "(enter 0 for no alert)", 132, 17, 62, 8, 0x50020000),
    (1001, LISTBOX, "", 4, 130, 229, 57, 0x50A10101),
    (1008, BUTTON, "Auto start (when Windows starts)", 4, 195, 119, 10, 0x50010003),
    (1002, BUTTON, "Exit", 178, 193, 55, 15, 0x50010000),
    (1000, BUTTON, "Start", 9, 234, 73, 15, 0x40010001),
    (-1, STATIC, "Alert with &beep every :", 10, 33, 71, 8, 0x50020000),
    (1010, EDIT, "", 97, 31, 32, 13, 0x50810080),
    (-1, STATIC, "seconds", 132, 33, 28, 8, 0x50020000),
    (-1, STATIC, "&Sound :", 10, 50, 26, 8, 0x50020000),
    (1012, EDIT, "", 37, 47, 134, 14, 0x50810080),
    (1007, BUTTON, "...", 174, 47, 20, 13, 0x50010000),
    (1014, BUTTON, "&Test", 196, 47, 30, 13, 0x50010000),
    (-1, BUTTON, "Sound alert  (use F7 to toggle on/off)", 4, 3, 229, 64, 0x50000007),
    (-1, BUTTON, "Text display  (use F6 to toggle on/off)", 4, 68, 229, 57, 0x50000007),
    (1015, BUTTON, "Display APM during game", 11, 82, 97, 10, 0x50010003),
    (1016, BUTTON, "Display warning when APM is too low", 11, 95, 133, 10, 0x50010003),
    (1017, BUTTON, "Display timer", 11, 109, 55, 10, 0x50010003),
]

# Template headers. The main window's caption is replaced before it is first shown, so only its
# product-name prefix is fixed.
DIALOGS = {
    100: dict(extended=False, style=0x80C800C0, exstyle=0, x=0, y=0, cx=215, cy=105, menu="", cls="",
              caption="About cadro", point_size=8, typeface="MS Sans Serif",
              weight=None, italic=None, charset=None, help_id=None, controls=ABOUT_CONTROLS),
    102: dict(extended=True, style=0x90CA00C0, exstyle=0x00040000, x=0, y=0, cx=238, cy=212, menu="", cls="",
              caption_prefix="Cadro! ", point_size=8, typeface="MS Sans Serif",
              weight=0, italic=0, charset=1, help_id=0, controls=MAIN_CONTROLS),
}

STRINGS = {101: "&About Cadro..."}


def _exe_paths(argv):
    required, optional = [], []
    target = required
    for arg in argv:
        if arg == "--if-present":
            target = optional
        else:
            target.append(arg)
    return required + [path for path in optional if os.path.exists(path)]


class ResourceTest(unittest.TestCase):
    """Run once per exe: main() makes a subclass for each with its path in `exe`."""

    exe = None

    @classmethod
    def setUpClass(cls):
        cls.found = pe.read_resources(cls.exe)

    def test_carries_exactly_these_resources(self):
        self.assertEqual(set(self.found), EXPECTED_RESOURCES)

    def test_dialog_templates(self):
        for dialog_id, expected in DIALOGS.items():
            with self.subTest(dialog=dialog_id):
                dialog = pe.parse_dialog(self.found[(pe.RT_DIALOG, dialog_id, EN_US)])
                for name, value in expected.items():
                    if name == "controls":
                        self.check_controls(dialog.controls, value)
                    elif name == "caption_prefix":
                        self.assertTrue(dialog.caption.startswith(value), dialog.caption)
                    else:
                        self.assertEqual(getattr(dialog, name), value, name)
                self.assertIn(dialog.trailing, range(4), "nothing after the last control but padding")

    def check_controls(self, controls, expected):
        # Styles compared as hex text, so a failure shows which bits differ.
        actual = [(c.id, c.cls, c.text, c.x, c.y, c.cx, c.cy, f"{c.style:#010x}") for c in controls]
        for row, (got, want) in enumerate(zip(actual, expected), 1):
            with self.subTest(row=row, id=want[0]):
                self.assertEqual(got, want[:7] + (f"{want[7]:#010x}",))
                self.assertEqual(int(got[7], 16) & 0x40000000, 0x40000000, "every control is a child window")
        self.assertEqual(len(actual), len(expected), "number of controls")
        for c in controls:
            with self.subTest(id=c.id):
                self.assertEqual((c.exstyle, c.help_id, c.extra), (0, 0, b""))

    def test_start_button_is_hidden(self):
        # The resource compiler adds WS_VISIBLE to control styles unless told not to.
        dialog = pe.parse_dialog(self.found[(pe.RT_DIALOG, 102, EN_US)])
        start = [c for c in dialog.controls if c.id == 1000]
        self.assertEqual(len(start), 1)
        self.assertFalse(start[0].style & WS_VISIBLE)
        self.assertGreater(start[0].y, dialog.cy, "lies below the bottom edge")

    def test_string_table(self):
        for (kind, block, _), data in self.found.items():
            if kind != pe.RT_STRING:
                continue
            strings, left = pe.parse_string_block(data)
            self.assertEqual(left, 0)
            for i, text in enumerate(strings):
                string_id = (block - 1) * 16 + i
                with self.subTest(string=string_id):
                    self.assertEqual(text, STRINGS.get(string_id, ""))

    def test_icon_group_and_image(self):
        header, entries, left = pe.parse_icon_group(self.found[(pe.RT_GROUP_ICON, 128, FR_FR)])
        self.assertEqual((header, left), ((0, 1), 0))
        self.assertEqual(len(entries), 1)
        entry = entries[0]
        self.assertEqual((entry.width, entry.height, entry.colours, entry.reserved, entry.planes,
                          entry.bit_count, entry.bytes_in_res, entry.image_id),
                         (32, 32, 0, 0, 1, 8, 2216, 1))

        data = self.found[(pe.RT_ICON, entry.image_id, FR_FR)]
        self.assertEqual(len(data), 2216)
        image = pe.parse_icon_image(data)
        self.assertEqual((image.header_size, image.width, image.height, image.planes, image.bit_count,
                          image.compression), (40, 32, 64, 1, 8, 0))
        self.assertEqual((len(image.palette), len(image.xor), len(image.mask)), (256, 1024, 128))

    def test_icon_picture(self):
        image = pe.parse_icon_image(self.found[(pe.RT_ICON, 1, FR_FR)])
        for x, y in [(0, 0), (31, 0), (0, 31), (31, 31)]:
            with self.subTest(corner=(x, y)):
                self.assertTrue(image.transparent(x, y))
                # Where the mask is set the XOR image must be black, or the corner is not see-through.
                self.assertEqual(image.colour(x, y), (0, 0, 0))
        # Upper half: the pale green-grey panel; lower half: the dark body around the buttons.
        r, g, b = image.colour(16, 13)
        self.assertFalse(image.transparent(16, 13))
        self.assertGreater(min(r, g, b), 140)
        self.assertGreater(g, max(r, b))
        r, g, b = image.colour(16, 28)
        self.assertFalse(image.transparent(16, 28))
        self.assertLess(max(r, g, b), 110)
        self.assertLess(max(r, g, b) - min(r, g, b), 12, "grey, not coloured")


    def test_manifest(self):
        root = ET.fromstring(self.found[(pe.RT_MANIFEST, 1, EN_US)])
        self.assertEqual(root.tag, "{%s}assembly" % ASM_V1)
        levels = root.findall(".//{%s}requestedExecutionLevel" % ASM_V3)
        self.assertEqual([(e.get("level"), e.get("uiAccess")) for e in levels], [("asInvoker", "false")])
        self.assertEqual({e.get("Id") for e in root.iter("{%s}supportedOS" % COMPATIBILITY)}, SUPPORTED_OS)
        # Not DPI aware, so the system keeps stretching the dialog and the overlay as before; and no
        # dependency (common controls 6 would change the dialog's look).
        self.assertEqual([e.text for e in root.iter("{%s}dpiAware" % WINDOWS_SETTINGS)], ["false"])
        self.assertEqual(list(root.iter("{%s}dpiAwareness" % WINDOWS_SETTINGS)), [])
        self.assertEqual(list(root.iter("{%s}dependency" % ASM_V1)), [])


class IconSourceTest(unittest.TestCase):
    def test_committed_icon_matches_its_generator(self):
        with tempfile.TemporaryDirectory() as scratch:
            fresh = os.path.join(scratch, "cadro.ico")
            subprocess.run([sys.executable, os.path.join(ROOT, "app", "res", "make_icon.py"), fresh], check=True)
            with open(fresh, "rb") as a, open(os.path.join(ROOT, "app", "res", "cadro.ico"), "rb") as b:
                self.assertEqual(a.read(), b.read(), "run app/res/make_icon.py and commit cadro.ico")


def main():
    exes = _exe_paths(sys.argv[1:])
    if not exes:
        sys.exit("usage: check_resources.py EXE [--if-present EXE ...]")
    load = unittest.defaultTestLoader.loadTestsFromTestCase
    suite = load(IconSourceTest)
    for exe in exes:
        print(f"checking {exe}")
        suite.addTests(load(type(f"ResourceTest[{exe}]", (ResourceTest,), {"exe": exe})))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
