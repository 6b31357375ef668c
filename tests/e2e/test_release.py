"""The shipped release itself, 32-bit as a player gets it, where this machine's Wine can start 32-bit
programs: it starts, links to the simulated game, draws the overlay over it, ends a game on F8 and closes.
The rest of the suite runs the 64-bit build of the same sources; where 32-bit Wine cannot start, this says
why and is skipped."""

import os
import subprocess
import unittest

import harness
from harness import BLACK, WHITE, texts
from test_probes import OVERLAY

WINE32 = "/usr/lib/wine/wine"


def why_32_bit_cannot_start():
    """None where 32-bit Wine starts, else the reason (no 32-bit Wine installed, or a kernel that runs no
    32-bit code)."""
    try:
        done = subprocess.run([WINE32, "--version"], capture_output=True, timeout=60)
    except OSError as e:
        return f"32-bit Wine cannot start here ({WINE32}: {e.strerror})"
    return None if done.returncode == 0 else f"32-bit Wine cannot start here ({WINE32} exit {done.returncode})"


class ReleaseTest(harness.E2ETestCase):
    def setUp(self):
        reason = why_32_bit_cannot_start()
        if reason:
            print(reason, flush=True)
            self.skipTest(reason)
        super().setUp()
        self.reset_cadro_registry()
        self.release = os.environ.get("CADRO_RELEASE") or os.path.join(harness.ROOT, "out")
        self.program = os.path.join(self.release, "release", "Cadro", "cadro.exe")
        self.assertTrue(os.path.isfile(self.program), f"no release at {self.program}")

    def test_the_release_links_draws_the_overlay_ends_a_game_on_f8_and_closes(self):
        _, status = self.start_sim("--games", 1, "--start-after", 2, "--length", 60, "--apm", 120, "--exit-after", 70)
        cadro = harness.WinProcess(self.program, [], os.path.join(self.artifacts, "release-cadro.out"))
        cadro.name = "cadro.exe"  # closed by the clean-up like the built one
        self.processes.append(cadro)
        self.assertTrue(self.driver("wait-window", 15).ok, "the release's window did not appear")
        self.wait_log("Game started", 15)

        self.assertTrue(self.wait_until(lambda: self.driver("foreground", "SWarClass").ok, 5))
        shots = []

        def overlay_shown():
            image = harness.Image(self.screenshot(f"overlay-{len(shots)}"))
            shots.append((image.count(OVERLAY, WHITE), image.count(OVERLAY, BLACK)))
            return shots[-1][0] > 20 and shots[-1][1] > 20

        self.assertTrue(self.wait_until(overlay_shown, 5, step=0.2), f"no overlay (white, black): {shots}")

        subprocess.run(["xdotool", "key", "F8"], env=self.session.env, check=True, capture_output=True)
        log = texts(self.wait_log("Game finished", 5))
        at = log.index("Game finished")
        self.assertEqual(log[at - 2:at], ["Game started", "Press F8 to stop apm measurement"], log)
        self.assertNotIn("game 1 ended", " ".join(harness.status_lines(status)), "the game ended by itself")
        self.assertTrue(self.driver("close").ok)
        self.assertIsNotNone(cadro.wait(5), "the release did not end after close")


class ReleaseSizesTest(unittest.TestCase):
    """Needs no Wine: the README's table of sizes is the one the release build printed."""

    def test_the_readme_gives_the_sizes_of_the_files_shipped(self):
        release = os.environ.get("CADRO_RELEASE") or os.path.join(harness.ROOT, "out")
        with open(os.path.join(release, "release", "sizes.md"), encoding="utf-8") as f:
            built = f.read().strip().splitlines()
        with open(os.path.join(harness.ROOT, "README.md"), encoding="utf-8") as f:
            readme = f.read().splitlines()
        at = readme.index(built[0])
        self.assertEqual(readme[at:at + len(built)], built, "the README's sizes are not the release's")
        for row in built[2:]:
            name = row.split("`")[1]
            path = os.path.join(release, name) if name.endswith(".zip") else \
                os.path.join(release, "release", "Cadro", name)
            self.assertEqual(row.split("|")[2].strip(), f"{os.path.getsize(path):,}", row)


if __name__ == "__main__":
    harness.main()
