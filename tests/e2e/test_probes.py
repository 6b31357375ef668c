"""Cadro linked to the simulated game: games recognised from the game's memory, its clearing writes,
the overlay on screen, games in a row, a game that is never recognised and a game that closes mid-game.
(A game measured to its summary is test_game's.)"""

import time

import harness
from harness import BLACK, WHITE, status_lines, texts

OVERLAY = (0, 0, 300, 24)
# The sim's scene below the overlay's rows and away from its minimap corner.
SCENE = (150, 60, 640, 480)
# The sim's terrain colours (sim/sim_game.cpp).
CLEARED = ["slotB cleared", "slotC cleared", "start word cleared"]
TERRAIN = [(60 + shade * 12, 110 + shade * 10, 40 + shade * 6) for shade in range(5)]


class ProbeTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()

    def wait_status(self, path, line, seconds):
        found = self.wait_until(lambda: line in status_lines(path), seconds)
        self.assertTrue(found, f"sim status has no {line!r}: {status_lines(path)}")

    def test_a_game_is_recognised_and_finished(self):
        sim, status = self.start_sim("--games", 1, "--start-after", 3, "--length", 12, "--exit-after", 30)
        self.start_cadro()
        self.wait_log("Game started", 15)
        self.wait_log("Game finished", 20)
        log = texts(self.log())
        # Each stage in order, each once.
        expected = ["Waiting for game...", "Game started", "Press F8 to stop apm measurement", "Game finished",
                    "Waiting for game..."]
        at = [log.index(text, log.index(expected[i - 1]) + 1 if i else 0) for i, text in enumerate(expected)]
        self.assertEqual(at, sorted(at), log)
        self.assertEqual(log.count("Game started"), 1, log)
        # Cadro cleared the game's marks when it saw the end, so the next game starts from nothing.
        self.wait_status(status, "start word cleared", 5)
        lines = status_lines(status)
        ended = next(i for i, line in enumerate(lines) if line.startswith("game 1 ended"))
        self.assertEqual(lines[ended + 1:ended + 4], CLEARED, lines)

    def test_a_game_running_before_the_link_is_not_measured(self):
        # The game's marks are written before Cadro links; its clear on linking wipes them, and the game
        # never writes them again, so only the next game counts.
        sim, status = self.start_sim("--games", 2, "--start-after", 1, "--length", 10, "--gap", 4,
                                     "--exit-after", 40, after_link=False)
        self.wait_status(status, "game 1 started", 10)
        self.start_cadro()
        self.wait_status(status, "start word cleared", 10)
        lines = status_lines(status)
        self.assertFalse(any(line.startswith("game 1 ended") for line in lines), lines)
        self.wait_log("Game started", 20)
        self.assertTrue(any(line.startswith("game 1 ended") for line in status_lines(status)))
        self.assertIn("game 2 started", status_lines(status))
        self.wait_log("Game finished", 20)
        self.assertEqual(texts(self.log()).count("Game started"), 1)

    def test_overlay_is_drawn_over_the_game(self):
        sim, status = self.start_sim("--games", 1, "--start-after", 2, "--length", 30, "--exit-after", 40)
        self.start_cadro()
        self.wait_log("Game started", 15)
        # The game in front, as while playing; Cadro's window would hide part of the scene. Screenshots
        # until the game has repainted what Cadro's window covered and the overlay is on it, or 5 s.
        self.assertTrue(self.wait_until(lambda: self.driver("foreground", "SWarClass").ok, 5))
        shots = []

        def shown():
            image = harness.Image(self.screenshot(f"during-game-{len(shots)}"))
            shots.append(image)
            return image.pixel(600, 400) in TERRAIN and image.count(OVERLAY, WHITE) > 20

        self.wait_until(shown, 5, step=0.2)
        image = shots[-1]
        white, black = image.count(OVERLAY, WHITE), image.count(OVERLAY, BLACK)
        print(f"overlay row: {white} white, {black} black pixels")
        self.assertGreater(white, 20, "no text in the overlay row")
        self.assertGreater(black, 20, "no black behind the overlay text")
        # White text lies inside the first row; the scene outside it is the game's own.
        self.assertIsNone(image.box(SCENE, WHITE))
        self.assertIsNone(image.box(SCENE, BLACK))
        self.assertIn(image.pixel(600, 400), TERRAIN)

    def test_games_in_a_row_keep_the_newest_line_selected(self):
        games = 3
        sim, status = self.start_sim("--games", games, "--start-after", 3, "--length", 6, "--gap", 3,
                                     "--exit-after", 40)
        self.start_cadro()
        self.wait_until(lambda: texts(self.log()).count("Game finished") == games, 40, step=0.5)
        log = texts(self.log())
        self.assertEqual(log.count("Game started"), games, log)
        self.assertEqual(log.count("Game finished"), games, log)
        # Each new game starts from cleared marks: the game sees its own earlier texts gone.
        lines = status_lines(status)
        for n in range(2, games + 1):
            self.assertIn(f"marks before game {n}: slotB=0 slotC=0 start=0", lines)
        # Count and selection are read once the game program has gone and Cadro searches silently: a log
        # that can still grow between the two reads would make them disagree by chance.
        self.assertIsNotNone(sim.wait(30), "the sim did not exit")
        self.wait_log_stable("Please start BW", 10)
        count = int(self.driver("count").out)
        self.assertGreater(count, 10)
        self.assertEqual(int(self.driver("cursel").out), count - 1)

    def test_echo_differing_in_case_is_never_a_game(self):
        sim, status = self.start_sim("--games", 1, "--start-after", 2, "--length", 10, "--exit-after", 15,
                                     "--mismatch")
        self.start_cadro()
        self.wait_log("Waiting for game...", 10)
        self.wait_status(status, "game 1 started", 10)
        self.assertFalse(self.wait_until(lambda: "Game started" in texts(self.log()), 8, step=0.5))
        self.assertNotIn("start word cleared", status_lines(status))

    def test_game_closing_mid_game_ends_the_link_and_waits_again(self):
        sim, status = self.start_sim("--games", 1, "--start-after", 2, "--length", 60, "--exit-after", 8)
        cadro = self.start_cadro()
        self.wait_log("Game started", 15)
        self.assertIsNotNone(sim.wait(15), "the sim did not exit")
        self.assertIn("exit in the middle of a game", status_lines(status))
        self.wait_log("BW Closed", 5)
        log = texts(self.wait_log("Please start BW", 5))
        self.assertEqual(log[-2:], ["BW Closed", "Please start BW"], log)
        self.assertTrue(cadro.running())
        # A second game program is found again.
        # Its game starts after Cadro's settling pause and clear on linking.
        self.start_sim("--games", 1, "--start-after", 6, "--length", 20, "--exit-after", 30)
        self.wait_until(lambda: texts(self.log()).count("Game started") == 2, 20, step=0.5)
        self.assertEqual(texts(self.log()).count("Game started"), 2)


if __name__ == "__main__":
    harness.main()
