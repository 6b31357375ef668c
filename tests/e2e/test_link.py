"""The whole program linked to the simulated game, as a player sees it: the search and the settle, F8, games
in a row under one link, the game closing mid-game, and every way of quitting while searching, waiting for a
game and measuring. Helpers for the measured games of test_game."""

import os
import re
import subprocess
import time

import harness
from harness import BLACK, IDC_EXIT, status_lines, texts

OVERLAY = (0, 0, 300, 24)

# Input at a known rate of what counts, with input that must not count: chat lines (Enter, HELLO, Enter)
# and clicks in the minimap corner.
FULL_INPUT = ["--apm", 300, "--clicks", 60, "--corner-clicks", 60, "--chat-every", 3]


def rate_of(plan):
    """The actions a minute that count in a sim plan's input: keys and field clicks."""
    options = dict(zip(plan[::2], plan[1::2]))
    return options.get("--apm", 0) + options.get("--clicks", 0)


def ink(pixel):
    """Text pixels: the overlay's white on black, anti-aliased in greys, where the game has only colours."""
    return pixel[0] == pixel[1] == pixel[2] and pixel != BLACK


def ink_points(image, rect):
    left, top, right, bottom = rect
    return {(x, y) for y in range(top, bottom) for x in range(left, right) if ink(image.pixel(x, y))}


def corrected(raw):
    """The whole-game APM less its 0/4/6/8 % correction by band."""
    percent = 0 if raw < 50 else 4 if raw < 100 else 6 if raw < 150 else 8
    return raw - percent * raw // 100


def ended_counts(status, game, what="ended"):
    """The input the sim reports for a game at an event ("ended", "input paused", "input stopped"):
    {'keys': .., 'clicks': .., 'corner': .., 'chats': ..}, or None before it."""
    for line in status_lines(status):
        match = re.fullmatch(rf"game {game} {what} (.*)", line)
        if match:
            return {k: int(v) for k, v in (pair.split("=") for pair in match.group(1).split())}
    return None


class LinkTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()

    # Helpers.

    def lines(self):
        """How many lines the log has. One message to Cadro: reading the whole log takes two a line, and
        each is answered only at Cadro's next pump, every 125 ms while waiting and 250 ms in a game."""
        result = self.driver("count")
        self.assertTrue(result.ok, f"driver count: {result}")
        return int(result.out)

    def wait_lines(self, count, seconds):
        """Waits until the log has count lines; returns the seconds that took."""
        started = time.monotonic()
        if not self.wait_until(lambda: self.lines() >= count, seconds, step=0.05):
            self.fail(f"fewer than {count} log lines after {seconds} s:\n" + "\n".join(self.log()))
        return time.monotonic() - started

    def cadro_pids(self):
        """Unix processes of cadro.exe in this test's Wine prefix."""
        return [pid for pid, command in self.session.programs().items() if "cadro.exe" in command.lower()]

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.session.env, check=True, capture_output=True)

    def assert_quits(self, cadro, how):
        """Exit or the close box ends the program within about a second and leaves nothing running."""
        self.assertTrue(self.cadro_pids(), "the process check sees no cadro.exe even while it runs")
        started = time.monotonic()
        self.assertTrue(self.driver(*how).ok)
        code = cadro.wait(5)
        took = time.monotonic() - started
        print(f"{how[0]}: ended after {took:.2f} s")
        self.assertIsNotNone(code, f"still running 5 s after {how[0]}")
        # Each loop tests the quit flag every 250 ms at most; the driver's message adds a little.
        self.assertLess(took, 1.5, f"{how[0]} took {took:.2f} s")
        self.assertEqual(self.cadro_pids(), [])

    # Tests.

    def test_one_program_run_over_two_game_programs(self):
        """Already running at the start: linked at once. A game measured, a second game under the same link,
        the game program exiting in it; a new one found after the settle; F8; two games in a row. (A game
        measured to its summary, with its overlay, is test_game's.)"""
        sim, status = self.start_sim("--games", 2, "--start-after", 2, "--length", 6, "--gap", 2,
                                     "--exit-after", 2 + 6 + 2 + 3, *FULL_INPUT)
        cadro = self.start_cadro()
        took = self.wait_lines(1, 5)
        print(f"game already running: linked {took:.2f} s after the window appeared")
        self.assertLess(took, 1.5, "a settle pause although the game was there from the start")
        self.assertEqual(texts(self.log())[0], "Waiting for game...")

        # The first game ends by itself; the second, under the same link, ends with the game program; the
        # search starts again.
        self.assertIsNotNone(sim.wait(30), "the sim did not exit")
        self.assertIn("exit in the middle of a game", status_lines(status))
        self.wait_lines(9, 5)
        log = texts(self.log())
        self.assertEqual(log, ["Waiting for game...", "Game started", "Press F8 to stop apm measurement",
                               "Game finished", "Waiting for game...", "Game started",
                               "Press F8 to stop apm measurement", "BW Closed", "Please start BW"], log)
        # Several seconds have passed reading it: the search goes on silently.
        time.sleep(1)
        self.assertEqual(self.lines(), len(log))

        # A game program appearing now is linked after the settle.
        # Timed from before the game program starts: its window cannot exist earlier, so a link made
        # after the 2 s settle is never less than 2 s later, however slowly Wine starts it.
        before = time.monotonic()
        sim, status = self.start_sim("--games", 2, "--start-after", 1, "--length", 6, "--gap", 1, "--exit-after", 40)
        self.wait_lines(10, 8)
        took = time.monotonic() - before
        print(f"game appearing later: linked {took:.2f} s after it was started")
        self.assertGreaterEqual(took, 2.0, "no settle pause for a game that has just appeared")
        self.assertLess(took, 6.0)

        # F8 ends the measurement, not the game nor the link; the next game is measured to its end.
        self.wait_lines(12, 10)
        self.assertTrue(self.wait_until(lambda: self.driver("fgclass").out.strip() == "SWarClass", 5),
                        "the game is not in front")
        self.xdotool("key", "F8")
        took = self.wait_lines(14, 3)
        print(f"F8: the game finished {took:.2f} s after the key")
        self.assertIsNone(ended_counts(status, 1), "the game ended by itself, not by F8")
        self.wait_lines(18, 20)
        self.assertIsNotNone(ended_counts(status, 2), "the second game did not end by itself")
        log = texts(self.log())
        self.assertEqual(log[9:18], [
            "Waiting for game...", "Game started", "Press F8 to stop apm measurement", "Game finished",
            "Waiting for game...", "Game started", "Press F8 to stop apm measurement", "Game finished",
            "Waiting for game..."], log)
        self.assert_quits(cadro, ("close",))

    def test_exit_and_close_in_every_state(self):
        states = [
            ("searching", [], "Please start BW"),
            ("waiting", ["--games", 1, "--start-after", 60], "Waiting for game..."),
            ("measuring", ["--games", 1, "--start-after", 3, "--length", 60, "--apm", 60], "Game started"),
        ]
        for state, sim_args, reached in states:
            for how in (("click", IDC_EXIT), ("close",)):
                with self.subTest(state=state, how=how[0]):
                    sim, status = self.start_sim(*sim_args, "--exit-after", 30) if sim_args else (None, None)
                    cadro = self.start_cadro()
                    self.wait_log(reached, 10)
                    self.assert_quits(cadro, how)
                    if sim:
                        # The hook went with the program: keys typed into the game now reach the game, which
                        # logs them, and it plays on.
                        self.assertTrue(self.wait_until(lambda: self.driver("foreground", "SWarClass").ok, 5))
                        self.xdotool("key", "a", "F8")
                        typed = lambda: {"key 41", "key 77"} <= set(status_lines(status))
                        self.assertTrue(self.wait_until(typed, 5), status_lines(status))
                        self.assertTrue(sim.running(), "the game program ended with Cadro")
                        sim.stop()
                    self.assertTrue(self.wait_idle(10), "a program of the run is still running")


if __name__ == "__main__":
    harness.main()
