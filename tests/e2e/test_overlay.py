"""Cadro's overlay over a game whose window is top-most over the whole screen and raises itself again now
and then: the overlay is back on screen within a tick or two of each raise, and the game keeps the
foreground."""

import re
import time

import harness
from harness import BLACK, WHITE, status_lines
from test_probes import OVERLAY, TERRAIN

RAISE_EVERY = 4  # seconds between the game's raises
BACK_WITHIN = 1.5  # seconds from a raise seen in the game's log to the overlay on screen: a tick or two
RAISE = re.compile(r"raise (\d+) foreground=(\d) covers=(\d)")


def raises(path):
    """The game's raises so far, as (number, was in front already, covered the overlay right after)."""
    found = (RAISE.fullmatch(line) for line in status_lines(path))
    return [(int(m[1]), m[2] == "1", m[3] == "1") for m in found if m]


class OverlayTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()

    def next_raise(self, status, after):
        """The first raise numbered above after, waiting for it."""
        later = lambda: [r for r in raises(status) if r[0] > after]
        found = self.wait_until(later, RAISE_EVERY + 5)
        self.assertTrue(found, f"no raise after {after}: {status_lines(status)}")
        return found[0]

    def overlay_pixels(self, image):
        return image.count(OVERLAY, WHITE), image.count(OVERLAY, BLACK)

    def assert_overlay_back(self, status, raised, name):
        """Screenshots until one taken while raised was the game's latest raise shows the overlay."""
        begin = time.monotonic()
        deadline = begin + BACK_WITHIN
        shots = 0
        while True:
            before = raises(status)[-1]
            image = harness.Image(self.screenshot(f"{name}-{shots}"))
            shots += 1
            current = raises(status)[-1] == before == raised
            white, black = self.overlay_pixels(image)
            if current and white > 20 and black > 20:
                print(f"{name}: overlay back ({white} white, {black} black) in screenshot {shots}, "
                      f"{time.monotonic() - begin:.2f} s after the raise was seen")
                self.assertIn(image.pixel(1000, 700), TERRAIN, "the game covers the whole screen")
                return
            self.assertTrue(current, f"{name}: the game raised itself again before the overlay came back")
            self.assertLess(time.monotonic(), deadline, f"{name}: the overlay stayed under the game")

    def test_overlay_is_back_over_a_top_most_game_after_each_raise(self):
        sim, status = self.start_sim("--topmost", RAISE_EVERY, "--games", 1, "--start-after", 2, "--length", 60,
                                     "--exit-after", 70)
        cadro = self.start_cadro()
        self.wait_log("Game started", 15)
        # The player in Cadro's window; then the game comes to the front again, as after alt-tab.
        self.assertTrue(self.driver("foreground-main").ok, "Cadro's window did not come to the front")
        seen = raises(status)[-1][0] if raises(status) else 0
        first = self.next_raise(status, seen)
        if first[1] or not first[2]:  # raised before the switch took effect, or seen after Cadro answered
            first = self.next_raise(status, first[0])
        number, in_front, covers = first
        self.assertFalse(in_front, f"the game was in front before raise {number}")
        self.assertTrue(covers, f"raise {number} left the overlay above the game: {status_lines(status)}")
        self.assert_overlay_back(status, first, "after-first-raise")

        # Raised again with the game in front already (a raise Cadro answered before it was seen below the
        # game is not counted, and the next one is taken).
        later = self.next_raise(status, number)
        while not (later[1] and later[2]) and later[0] < number + 4:
            later = self.next_raise(status, later[0])
        self.assertTrue(later[1], f"raise {later[0]} not made from the front: {status_lines(status)}")
        self.assertTrue(later[2], f"raise {later[0]} left the overlay above the game: {status_lines(status)}")
        self.assert_overlay_back(status, later, "after-later-raise")

        # Neither the overlay nor Cadro's window ever took the foreground from the game.
        lines = status_lines(status)
        since = lines.index(f"raise {number} foreground=0 covers=1")
        taken = [line for line in lines[since:]
                 if line in ("foreground lost to CadroOverlay", "foreground lost to #32770")]
        self.assertFalse(taken, lines)
        self.assertEqual(self.driver("fgclass").out.strip(), "SWarClass")


if __name__ == "__main__":
    harness.main()
