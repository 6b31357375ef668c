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
        """Screenshots until one taken while raised was the game's latest raise shows the overlay. Only a
        screenshot begun after the deadline can fail: taking and reading one takes time of its own."""
        deadline = time.monotonic() + BACK_WITHIN
        shots = 0
        while True:
            begun = time.monotonic()
            before = raises(status)[-1]
            image = harness.Image(self.screenshot(f"{name}-{shots}"))
            shots += 1
            current = raises(status)[-1] == before == raised
            white, black = self.overlay_pixels(image)
            if current and white > 20 and black > 20:
                print(f"{name}: overlay back ({white} white, {black} black) in screenshot {shots}, "
                      f"begun {begun - deadline + BACK_WITHIN:.2f} s after the raise was seen")
                self.assertIn(image.pixel(1000, 700), TERRAIN, "the game covers the whole screen")
                return
            self.assertTrue(current, f"{name}: the game raised itself again before the overlay came back")
            self.assertLess(begun, deadline, f"{name}: the overlay stayed under the game")

    def raise_of_kind(self, status, after, from_front, tries, before_each=None):
        """The first raise numbered above after that was made from the front (or from behind) and left the
        overlay below the game, trying up to tries raises; before_each runs before each wait."""
        for _ in range(tries):
            if before_each:
                before_each()
            found = self.next_raise(status, after)
            if found[1] == from_front and found[2]:
                return found
            after = found[0]
        self.fail(f"no raise {'from the front' if from_front else 'from behind'} that covered the overlay "
                  f"in {tries}: {status_lines(status)}")

    def test_overlay_is_back_over_a_top_most_game_after_each_raise(self):
        sim, status = self.start_sim("--topmost", RAISE_EVERY, "--games", 1, "--start-after", 2, "--length", 60,
                                     "--exit-after", 70)
        self.start_cadro()
        self.wait_log("Game started", 15)

        # The player in Cadro's window; then the game comes to the front again, as after alt-tab. A raise
        # made before the switch took effect, or one Cadro answered before it was seen below the game, does
        # not count: the player switches again and the next raise is taken.
        def to_cadro():
            self.assertTrue(self.driver("foreground-main").ok, "Cadro's window did not come to the front")

        seen = raises(status)[-1][0] if raises(status) else 0
        first = self.raise_of_kind(status, seen, False, 4, to_cadro)
        self.assert_overlay_back(status, first, "after-first-raise")

        # Raised again with the game in front already.
        later = self.raise_of_kind(status, first[0], True, 4)
        self.assert_overlay_back(status, later, "after-later-raise")

        # Neither the overlay nor Cadro's window ever took the foreground from the game.
        lines = status_lines(status)
        since = lines.index(f"raise {first[0]} foreground=0 covers=1")
        taken = [line for line in lines[since:]
                 if line in ("foreground lost to CadroOverlay", "foreground lost to #32770")]
        self.assertFalse(taken, lines)
        in_front = lambda: self.driver("fgclass").out.strip() == "SWarClass"
        self.assertTrue(self.wait_until(in_front, 5), "the game is not in front")


if __name__ == "__main__":
    harness.main()
