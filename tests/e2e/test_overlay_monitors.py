"""The overlay on a machine with two monitors side by side: when the game's window goes to the second
monitor in the middle of a game, the overlay follows it there. It needs a session with two monitors, as
ctest gives it: by hand, CADRO_MONITORS=2 tools/in_session.sh python3 tests/e2e/test_overlay_monitors.py."""

import os

import harness
from harness import BLACK, WHITE
from test_probes import OVERLAY

SECOND = (1024, 0, 1024 + OVERLAY[2], OVERLAY[3])  # the overlay's corner of the second monitor


class OverlayMonitorsTest(harness.E2ETestCase):
    def setUp(self):
        if os.environ.get("CADRO_MONITORS") != "2":
            self.skipTest("a session with one monitor")
        super().setUp()
        self.reset_cadro_registry()

    def shows_overlay(self, name, where):
        image = harness.Image(self.screenshot(name))
        return image.count(where, WHITE) > 20 and image.count(where, BLACK) > 20

    def test_the_overlay_follows_the_game_to_the_second_monitor(self):
        self.start_sim("--games", 1, "--start-after", 2, "--length", 60, "--exit-after", 70)
        self.start_cadro()
        self.wait_log("Game started", 15)
        self.assertTrue(self.wait_until(lambda: self.shows_overlay("first", OVERLAY), 5, step=0.2),
                        "no overlay on the first monitor")
        self.assertFalse(self.shows_overlay("first-only", SECOND))

        self.assertTrue(self.driver("move", "SWarClass", 1100, 100).ok, "the game did not move")
        self.assertTrue(self.wait_until(lambda: self.shows_overlay("second", SECOND), 2, step=0.2),
                        "the overlay did not follow the game")
        self.assertFalse(self.shows_overlay("second-only", OVERLAY), "the overlay stayed on the first monitor")


if __name__ == "__main__":
    harness.main()
