"""Cadro's main window without a game: title, first log line, the ways it closes and does not, -auto."""

import time

import harness
from harness import IDC_EXIT, IDOK, WM_COMMAND


class WindowTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()

    def test_opens_with_title_and_asks_for_the_game(self):
        self.start_cadro()
        self.assertTrue(self.driver("title").out.startswith("Cadro! 1.00R"), self.driver("title").out)
        self.assertEqual(self.driver("visible").out.strip(), "1")
        self.assertEqual(self.driver("iconic").out.strip(), "0")
        lines = self.wait_log("Please start BW", 5)
        # A time stamp "hh:mm:ss " heads every line.
        self.assertRegex(lines[0], r"^\d\d:\d\d:\d\d Please start BW$")

    def test_exit_and_close_end_the_program_quickly(self):
        for how in (("click", IDC_EXIT), ("close",)):
            with self.subTest(how=how[0]):
                cadro = self.start_cadro()
                self.wait_log("Please start BW", 5)
                started = time.monotonic()
                self.assertTrue(self.driver(*how).ok)
                code = cadro.wait(5)
                took = time.monotonic() - started
                self.assertIsNotNone(code, "still running 5 s after the request")
                # The search loop tests the quit flag every 250 ms; Wine's start-up of driver.exe adds a little.
                self.assertLess(took, 1.5)
                self.assertTrue(self.driver("wait-gone", 2).ok)

    def test_ok_never_closes_it(self):
        cadro = self.start_cadro()
        self.wait_log("Please start BW", 5)
        for _ in range(3):
            self.assertTrue(self.driver("post", WM_COMMAND, IDOK, 0).ok)
        self.assertIsNone(cadro.wait(1.5), "an OK command closed the window")
        self.assertTrue(self.driver("wait-window", 0).ok)

    def test_auto_opens_minimised_and_still_waits_for_the_game(self):
        for args in (("-auto",), ("x-autoy",), ("first", "-auto")):
            with self.subTest(args=args):
                cadro = self.start_cadro(*args)
                # Wine undoes a minimise done while the dialog initialises; the program applies it again.
                self.assertTrue(self.driver("wait-iconic", 1.5).ok, "not minimised")
                self.wait_log("Please start BW", 5)
                time.sleep(0.5)
                self.assertEqual(self.driver("iconic").out.strip(), "1", "the minimise did not hold")
                self.driver("close")
                self.assertIsNotNone(cadro.wait(5))
                self.wait_idle(20)

    def test_without_auto_not_minimised(self):
        self.start_cadro("-aut")
        self.wait_log("Please start BW", 5)
        time.sleep(1)
        self.assertEqual(self.driver("iconic").out.strip(), "0")


if __name__ == "__main__":
    harness.main()
