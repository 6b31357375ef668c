"""The window menu's "Game history..." before any game: the report is written, saying there are no games
yet, and opened (a recorder stands in for the browser, which Wine lacks). The history of measured games is
test_game's."""

import os
import shutil

import harness
from test_game import REPORT, HistoryFiles, open_from_menu


class HistoryTest(harness.BrowserTestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        self.files = HistoryFiles(self)
        shutil.rmtree(self.files.folder, ignore_errors=True)  # the prefix outlives a test

    def test_the_window_menu_opens_the_report_written_when_missing(self):
        self.start_cadro()
        self.wait_log("Please start BW", 15)
        self.assertFalse(os.path.exists(self.files.report))
        self.assertEqual(open_from_menu(self), [self.files.report_windows])
        # Written before it was opened: it says there are no games yet, and nothing else is made.
        self.assertEqual(sorted(os.listdir(self.files.folder)), [REPORT])
        dom = self.rendered(self.files.report)
        self.assertIn("No games yet.", dom.find_all("section", "empty")[0].text())
        self.assertEqual(dom.find_all("table"), [])


if __name__ == "__main__":
    harness.main()
