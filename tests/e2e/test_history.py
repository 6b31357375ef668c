"""The game history beside the simulated game: two summarised games in a row, their rows and timelines
against the log's summaries, the first while another program holds the history file open sharing
nothing (it is said in the log, and written with the second)."""

import csv
import io
import os
import re
import shutil
import time

import harness
from test_probes import texts

GAME = 86  # seconds: past the 80 s warm-up, so that each game logs a summary
WARM_UP = 80
HISTORY = r"%APPDATA%\Vorkel\cadro\history.csv"
NOT_SAVED = "Game not saved: history file in use; kept to retry"
HEADER = ["started", "seconds", "apm", "actions", "peak_apm", "peak_at", "limit", "seconds_below", "alerts", "end",
          "slot_a", "slot_b", "slot_c", "timeline"]


def summaries(log):
    """(apm, actions, peak, peak seconds) of each summary in the log, in order."""
    found = []
    for i, line in enumerate(log[:-1]):
        apm = re.fullmatch(r"APM = (\d+) \((\d+) actions\)", line)
        peak = re.fullmatch(r"Highest APM = (\d+) at (\d\d):(\d\d):(\d\d):", log[i + 1])
        if apm and peak:
            h, m, s = (int(peak.group(n)) for n in (2, 3, 4))
            found.append((int(apm.group(1)), int(apm.group(2)), int(peak.group(1)), h * 3600 + m * 60 + s))
    return found


class HistoryTest(harness.E2ETestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        code, out = self.session.wine_run(self.session.exe("hold_file.exe"), "--where", HISTORY)
        self.assertEqual(code, 0)
        self.history = self.unix_path(out.strip())
        self.folder = os.path.dirname(self.history)
        shutil.rmtree(self.folder, ignore_errors=True)  # the prefix outlives a test

    def unix_path(self, path):
        drive, rest = path[0].lower(), path[2:].strip("\\")
        return os.path.join(self.session.env["WINEPREFIX"], "dosdevices", drive + ":", *rest.split("\\"))

    def rows(self):
        if not os.path.exists(self.history):
            return None
        with open(self.history, "rb") as f:
            return list(csv.reader(io.StringIO(f.read().decode("utf-8-sig"), newline="")))

    def timeline(self, name):
        with open(os.path.join(self.folder, "timelines", name), "rb") as f:
            return list(csv.reader(io.StringIO(f.read().decode("utf-8"), newline="")))

    def assert_row_is_the_summary(self, row, summary):
        print(f"row {row}\nsummary {summary}")
        self.assertEqual(len(row), len(HEADER), row)
        self.assertRegex(row[0], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$")
        self.assertIn(int(row[1]), range(GAME - 2, GAME + 2), "the game's length in seconds")
        self.assertEqual((int(row[2]), int(row[3]), int(row[4]), int(row[5])), summary)
        self.assertEqual(row[6], "50", "the default limit")
        self.assertEqual(row[9:13], ["game over", "Player", "Lost Temple", "Melee"])

        # The timeline: a second a row from the start, the whole-game number empty in the warm-up.
        lines = self.timeline(row[13])
        self.assertEqual(lines[0], ["seconds", "apm", "recent"])
        samples = [(int(s), int(a) if a else None, int(r)) for s, a, r in lines[1:]]
        seconds = [s for s, _, _ in samples]
        self.assertEqual(seconds[0], 0)
        self.assertEqual(seconds, sorted(set(seconds)))
        self.assertGreaterEqual(len(samples), int(row[1]) - 2, "a second without a sample")
        self.assertGreaterEqual(seconds[-1], int(row[1]) - 2)
        self.assertTrue(all((a is None) == (s < WARM_UP) for s, a, _ in samples), samples)
        last_apm = samples[-1][1]
        self.assertLessEqual(abs(last_apm - summary[0]), max(3, summary[0] // 10), "the last shown APM")
        self.assertTrue(any(r > 0 for _, _, r in samples))

    def test_two_games_kept_the_first_written_after_its_file_was_held(self):
        self.start_sim("--games", 2, "--start-after", 3, "--length", GAME, "--gap", 3, "--apm", 120,
                       "--exit-after", 3 + 2 * GAME + 3 + 15)
        self.start_cadro()
        self.wait_log("Game started", 15)
        self.assertIsNone(self.rows(), "nothing is made before a game ends")

        # Held from well before the first game's end until its failed save is in the log.
        time.sleep(GAME - 20)
        release = os.path.join(self.artifacts, "release")
        holder = self.start("hold_file.exe", HISTORY, harness.winpath(release), 90)
        self.assertTrue(self.wait_until(lambda: "held" in holder.output().split("\n"), 10), holder.output())
        log = texts(self.wait_log(NOT_SAVED, 40))
        open(release, "w").close()
        self.assertEqual(holder.wait(10), 0, holder.output())
        at = log.index(NOT_SAVED)
        self.assertEqual(len(summaries(log[:at])), 1, log)
        self.assertTrue(log[at - 1].startswith("Highest APM = "), "said right after the summary")
        self.assertEqual(self.rows(), [], "the file the other program made is still empty")

        # The second game writes the first one's row, then its own.
        self.assertTrue(self.wait_until(lambda: len(self.rows() or []) == 3, GAME + 30, step=1),
                        f"rows: {self.rows()}\nlog: {texts(self.log())}")
        log = texts(self.log())
        self.assertEqual(log.count(NOT_SAVED), 1, log)
        rows = self.rows()
        self.assertEqual(rows[0], HEADER)
        games = summaries(log)
        self.assertEqual(len(games), 2, log)
        for row, summary in zip(rows[1:], games):
            self.assert_row_is_the_summary(row, summary)
        self.assertLess(rows[1][0], rows[2][0], "in the order played")
        self.assertEqual(sorted(os.listdir(os.path.join(self.folder, "timelines"))), sorted([rows[1][13], rows[2][13]]))


if __name__ == "__main__":
    harness.main()
