"""The release as a player gets it: tools/make_release.sh into a scratch folder, then its files read with
the 32-bit toolchain's objdump. Stripped (no symbols, no debug sections), the hook library exporting the
one entry point the program imports, and the zip holding exactly the release folder."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OBJDUMP = "i686-w64-mingw32-objdump"
HOOK_ENTRY = "_ZN9nvHookWin9SetMyHookEbP6HWND__"
FILES = ["cadro.exe", "ravik.dll", "apmsounds/cadro.wav", "apmsounds/back.wav"]


def objdump(*args):
    return subprocess.run([OBJDUMP, *args], capture_output=True, text=True, check=True).stdout


def exports(path):
    """The names in a DLL's export table."""
    text = objdump("-p", path)
    table = text.split("[Ordinal/Name Pointer] Table", 1)
    return re.findall(r"^\s*\[\s*\d+\]\s+(\S+)\s*$", table[1], re.M) if len(table) == 2 else []


class ReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Under ctest the release was packed for every check of it; by hand, into a scratch folder.
        cls.out = os.environ.get("CADRO_RELEASE")
        cls.scratch = None
        if not cls.out:
            cls.out = cls.scratch = tempfile.mkdtemp(prefix="cadro-release.")
            subprocess.run(["bash", os.path.join(ROOT, "tools", "make_release.sh"), cls.out], check=True,
                           stdout=subprocess.DEVNULL)
        cls.dest = os.path.join(cls.out, "release", "Cadro")

    @classmethod
    def tearDownClass(cls):
        if cls.scratch:
            shutil.rmtree(cls.scratch, ignore_errors=True)

    def test_files_are_stripped(self):
        for name in ("cadro.exe", "ravik.dll"):
            with self.subTest(name):
                path = os.path.join(self.dest, name)
                sections = re.findall(r"^\s*\d+\s+(\S+)", objdump("-h", path), re.M)
                self.assertTrue(sections, f"{name}: no sections read")
                self.assertFalse([s for s in sections if s.startswith(".debug")], f"{name}: {sections}")
                self.assertIn("no symbols", objdump("-t", path), f"{name} keeps its symbol table")
                print(f"{name}: {os.path.getsize(path)} bytes", flush=True)

    def test_hook_library_exports_only_the_hook(self):
        self.assertEqual(exports(os.path.join(self.dest, "ravik.dll")), [HOOK_ENTRY])
        # The program imports it by that name, so the shipped pair still loads together.
        self.assertIn(HOOK_ENTRY, objdump("-p", os.path.join(self.dest, "cadro.exe")))

    def test_program_starts_with_only_the_libraries_start_up_needs(self):
        # The file chooser, the balloon's common controls and sound are loaded at their first use.
        imports = re.findall(r"DLL Name: (\S+)", objdump("-p", os.path.join(self.dest, "cadro.exe")))
        self.assertEqual(sorted(name.lower() for name in imports),
                         ["advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ravik.dll", "user32.dll"])

    def test_zip_holds_the_release_folder(self):
        with zipfile.ZipFile(os.path.join(self.out, "Cadro.zip")) as z:
            names = sorted(n for n in z.namelist() if not n.endswith("/"))
            self.assertEqual(names, sorted("Cadro/" + f for f in FILES))
            for f in FILES:
                with open(os.path.join(self.dest, f), "rb") as mine:
                    self.assertEqual(z.read("Cadro/" + f), mine.read(), f)


if __name__ == "__main__":
    unittest.main(verbosity=2)
