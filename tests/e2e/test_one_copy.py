"""Two starts of the program, as from the autostart entry and a shortcut: the second shows the first one's
window and ends without a word, and the game played meanwhile is saved once."""

import harness
from harness import texts
from test_game import GAME, QUIET, HistoryFiles, saved_games
from test_link import FULL_INPUT


class OneCopyTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        self.files = HistoryFiles(self)

    def test_a_second_start_shows_the_first_and_every_game_is_saved_once(self):
        sim, _ = self.start_sim("--games", 1, "--start-after", 3, "--length", GAME, *FULL_INPUT, *QUIET)
        self.start_cadro("-auto")
        self.assertTrue(self.driver("wait-iconic", 5).ok, "the first start is minimised")
        second = self.start("cadro.exe")
        self.assertEqual(second.wait(30), 0, "the second start ended")
        self.assertTrue(self.wait_until(lambda: self.driver("iconic").out.strip() == "0", 5),
                        "the first one's window is shown")
        copies = [c for c in self.session.programs().values() if "cadro.exe" in c.lower()]
        self.assertEqual(len(copies), 1, copies)

        log = []

        def saved():
            log[:] = texts(self.log())
            return len(saved_games(log)) == 1

        self.assertTrue(self.wait_until(saved, GAME + 60, step=0.5), "\n".join(log))
        self.assertEqual(log.count("Game started"), 1, log)
        rows = self.files.rows()
        self.assertEqual(len(rows), 2, f"the header and the game's row, once: {rows}")
        sim.stop()


if __name__ == "__main__":
    harness.main()
