"""Two measured games beside the simulated game, as a player sees them, each carrying every check that only
reads it: the overlay during and after the warm-up and gone after the game, the summary against the input
the game made (keys and field clicks counted, chat lines and minimap clicks not, nothing before the warm-up
or after the end), the history's rows and timelines against the summaries (the first game's save fails
while another program holds history.csv open sharing nothing, is said once, and is written with the second),
the report of the two in the browser, and the window menu opening it (a recorder stands in for the browser,
which Wine lacks)."""

import csv
import io
import ntpath
import os
import re
import shutil
import time

import harness
from harness import texts
from test_link import FULL_INPUT, OVERLAY, corrected, ended_counts, ink_points, rate_of

GAME = 95  # seconds: past the 80 s warm-up, so that each game logs a summary
GAP = 8  # between the games: the overlay's absence is read in it
WARM_UP = 80
# No input from 75 s to 85 s of each game nor after 93 s: Cadro's warm-up ends at about 80.4 s and it sees
# the end at about 95.4 s, so it counts exactly what the game typed and clicked from 85 s to 93 s.
QUIET = ["--pause-input", 75, 85, "--input-until", 93]
COUNTED = (GAME - WARM_UP - 1.0, GAME - WARM_UP + 1.0)  # seconds Cadro measures over, with its detection delays
HISTORY = r"%APPDATA%\Vorkel\cadro\history.csv"
REPORT = "report.html"
WAITING = "Waiting for game..."
NOT_SAVED = "Game not saved: history file in use; kept to retry"
HEADER = ["started", "seconds", "apm", "actions", "peak_apm", "peak_at", "limit", "seconds_below", "alerts", "end",
          "slot_a", "slot_b", "slot_c", "timeline", "eapm", "spam", "reselects", "repeats", "reassigns", "overflows"]
IDM_GAME_HISTORY = 0x20
# Wine 8 looks up file types in the machine's classes only, not in the user's.
CLASSES = r"HKLM\Software\Classes"
PROG_ID = "CadroTest.Page"


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


def saved_games(log):
    """The summaries of the games whose saving is over: each game's history and report are written between
    its summary and the next "Waiting for game..."."""
    waits = [i for i, line in enumerate(log) if line == WAITING]
    return summaries(log[:waits[-1]] if waits else [])


class HistoryFiles:
    """Where Cadro keeps its history in the test's prefix."""

    def __init__(self, test):
        code, out = test.session.wine_run(test.session.exe("hold_file.exe"), "--where", HISTORY)
        test.assertEqual(code, 0)
        drive, rest = out.strip()[0].lower(), out.strip()[2:].strip("\\")
        self.csv = os.path.join(test.session.env["WINEPREFIX"], "dosdevices", drive + ":", *rest.split("\\"))
        self.folder = os.path.dirname(self.csv)
        self.report = os.path.join(self.folder, REPORT)
        self.report_windows = ntpath.join(ntpath.dirname(out.strip()), REPORT)

    def rows(self):
        if not os.path.exists(self.csv):
            return None
        with open(self.csv, "rb") as f:
            return list(csv.reader(io.StringIO(f.read().decode("utf-8-sig"), newline="")))

    def timeline(self, name):
        with open(os.path.join(self.folder, "timelines", name), "rb") as f:
            return list(csv.reader(io.StringIO(f.read().decode("utf-8"), newline="")))


def open_from_menu(test):
    """Chooses "Game history..." in the window menu, with a recorder registered in the prefix as what opens
    .html files; returns the arguments the recorder was first started with."""
    opened = os.path.join(test.artifacts, "opened.txt")
    command = f'"{harness.winpath(test.session.exe("record_open.exe"))}" "{harness.winpath(opened)}" "%1"'
    for key, data in ((CLASSES + r"\.html", PROG_ID), (rf"{CLASSES}\{PROG_ID}\shell\open\command", command)):
        test.addCleanup(test.reg_delete, key.rsplit("\\shell", 1)[0])
        code, _ = test.session.wine_run("reg", "add", key, "/ve", "/d", data, "/f")
        test.assertEqual(code, 0, key)
    test.assertTrue(test.driver("post", harness.WM_SYSCOMMAND, IDM_GAME_HISTORY, 0).ok)

    def lines():  # only whole lines: the recorder writes each in one piece
        with open(opened, "rb") as f:
            text = f.read().decode("utf-8")
        return text.endswith("\n") and [line.split("\t") for line in text.split("\n")[:-1]]

    found = test.wait_until(lambda: os.path.exists(opened) and lines(), 30)
    test.assertTrue(found, "nothing was opened")
    return found[0]


def counted_input(status, game):
    """The keys and field clicks the game made while Cadro counts: from its input's pause to its stop."""
    paused, stopped = (ended_counts(status, game, what) for what in ("input paused", "input stopped"))
    return paused and stopped and stopped["keys"] + stopped["clicks"] - paused["keys"] - paused["clicks"]


class GameTest(harness.BrowserTestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        self.files = HistoryFiles(self)
        shutil.rmtree(self.files.folder, ignore_errors=True)  # the prefix outlives a test

    def at(self, started, seconds):
        """Sleeps until seconds after started (a time.monotonic() value)."""
        time.sleep(max(0.0, started + seconds - time.monotonic()))

    def assert_overlay_line(self, name):
        """Screenshot name shows one line of text on black in the overlay's row over the game; returns it."""
        image = harness.Image(self.screenshot(name))
        points = ink_points(image, OVERLAY)
        black = image.count(OVERLAY, harness.BLACK)
        print(f"{name}: overlay row {len(points)} text, {black} black pixels")
        self.assertGreater(len(points), 100, f"{name}: no text in the overlay row")
        self.assertGreater(black, 200, f"{name}: no black behind the overlay text")
        self.assert_scene_is_the_games(image)
        return points

    def assert_scene_is_the_games(self, image):
        # The simulated game's window is the screen's top-left 640x480; all of it outside the overlay's row.
        for part in [(0, 24, 640, 480), (300, 0, 640, 24)]:
            self.assertFalse(ink_points(image, part), f"text outside the overlay row in {part}")
            self.assertIsNone(image.box(part, harness.BLACK), f"black outside the overlay row in {part}")

    def assert_number_shown(self, warm, measuring):
        """The warm-up shows "---" where the measuring shows digits; the text before it is the same."""
        differ = sorted({x for x, _ in warm ^ measuring})
        self.assertTrue(differ, "the overlay line did not change after the warm-up")
        first = differ[0]
        self.assertGreater(first, 20, f"the lines differ from x = {first}: \"APM = \" is drawn the same in both")
        cells = (first, first + 12)

        def rows(points):
            ys = [y for x, y in points if cells[0] <= x < cells[1]]
            return max(ys) - min(ys) + 1

        self.assertLessEqual(rows(warm), 2, "the warm-up shows no dashes")
        self.assertGreaterEqual(rows(measuring), 5, "the measuring shows no digits")

    def assert_summary(self, summary, status, game):
        """A game's summary against the input the game made while Cadro counted."""
        ended = ended_counts(status, game, "ended")
        print(f"game {game}: sim counts {ended}, summary {summary}")
        # The input that must not count was there.
        self.assertGreater(ended["corner"], 10)
        self.assertGreater(ended["chats"], 10)
        apm, actions, peak, peak_at = summary
        self.assertEqual(actions, counted_input(status, game), "actions counted against those made after the warm-up")
        # The APM is that count over the time counted, corrected; the time is known to within a second.
        spans = range(int(COUNTED[0] * 1000), int(COUNTED[1] * 1000))
        self.assertIn(apm, {corrected(actions * 60000 // ms) for ms in spans})
        # The short-term APM is the rate of the latest actions as Cadro took them in, a tick at a time, so a
        # machine that stalls the game or Cadro for a moment bunches them and raises it: only the input's
        # own rate bounds the peak from below. From above, it is checked against the timeline's short-term
        # values (assert_row_is_the_summary). It is recorded after 85 s.
        rate = rate_of(FULL_INPUT)
        self.assertGreaterEqual(peak, 0.9 * rate, f"peak {peak} for {rate} a minute")
        self.assertTrue(85 <= peak_at <= GAME, f"peak at {peak_at} s")

    def assert_row_is_the_summary(self, row, summary):
        print(f"row {row}\nsummary {summary}")
        self.assertEqual(len(row), len(HEADER), row)
        self.assertRegex(row[0], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$")
        self.assertIn(int(row[1]), range(GAME - 2, GAME + 2), "the game's length in seconds")
        self.assertEqual((int(row[2]), int(row[3]), int(row[4]), int(row[5])), summary)
        self.assertEqual(row[6], "50", "the default limit")
        self.assertEqual(row[9:13], ["game over", "Player", "Lost Temple", "Melee"])

        # The timeline: a second a row from the start, the whole-game number empty in the warm-up.
        lines = self.files.timeline(row[13])
        self.assertEqual(lines[0], ["seconds", "apm", "recent", "alerts", "effective"])
        self.assertEqual(sum(int(line[3]) for line in lines[1:]), int(row[8]), "the timeline marks each alert counted")
        samples = [(int(s), int(a) if a else None, int(r)) for s, a, r, *_ in lines[1:]]
        seconds = [s for s, _, _ in samples]
        self.assertEqual(seconds[0], 0)
        self.assertEqual(seconds, sorted(set(seconds)))
        self.assertGreaterEqual(len(samples), int(row[1]) - 2, "a second without a sample")
        self.assertGreaterEqual(seconds[-1], int(row[1]) - 2)
        self.assertTrue(all((a is None) == (s < WARM_UP) for s, a, _ in samples), samples)
        last_apm = samples[-1][1]
        self.assertLessEqual(abs(last_apm - summary[0]), max(3, summary[0] // 10), "the last shown APM")
        self.assertTrue(any(r > 0 for _, _, r in samples))
        # Every short-term value shown after 85 s, when the peak is recorded, is at most the peak.
        shown = [r for s, _, r in samples if s > 85]
        self.assertTrue(shown, samples)
        self.assertLessEqual(max(shown), summary[2], "a short-term APM above the game's peak")

    def wait_saved(self, games, seconds):
        """Waits until the log says that `games` games are over and saved; returns the log of that moment."""
        log = []

        def done():
            log[:] = texts(self.log())
            return len(saved_games(log)) >= games

        if not self.wait_until(done, seconds, step=0.5):
            self.fail(f"{games} games not saved within {seconds} s; log:\n" + "\n".join(log))
        return log

    def test_two_measured_games_their_overlay_summaries_history_and_report(self):
        sim, status = self.start_sim("--games", 2, "--start-after", 3, "--length", GAME, "--gap", GAP,
                                     "--exit-after", 3 + 2 * GAME + GAP + 10, *FULL_INPUT, *QUIET)
        self.start_cadro()
        self.wait_log("Game started", 15)
        started = time.monotonic()
        self.assertIsNone(self.files.rows(), "nothing is made before a game ends")

        # The overlay shows "---" in the warm-up, then the number.
        self.at(started, WARM_UP / 2)
        warm = self.assert_overlay_line("warm-up")
        # Another program holds the history file from well before the game's end until the log says so.
        self.at(started, GAME - 20)
        release = os.path.join(self.artifacts, "release")
        holder = self.start("hold_file.exe", HISTORY, harness.winpath(release), 90)
        self.assertTrue(self.wait_until(lambda: "held" in holder.output().split("\n"), 10), holder.output())
        self.at(started, WARM_UP + 8)
        measuring = self.assert_overlay_line("measuring")
        self.assert_number_shown(warm, measuring)

        log = texts(self.wait_log(NOT_SAVED, GAME - WARM_UP + 20))
        # The overlay went with the game: read before the second game's start, which the game logs first.
        image = harness.Image(self.screenshot("after-game"))
        self.assertNotIn("game 2 texts written", harness.status_lines(status), "read too late to tell")
        self.assertFalse(ink_points(image, OVERLAY), "the overlay stayed after the game")
        self.assert_scene_is_the_games(image)
        open(release, "w").close()
        self.assertEqual(holder.wait(10), 0, holder.output())
        self.assertEqual(log[:7], [WAITING, "Game started", "Press F8 to stop apm measurement", "Game finished",
                                   log[4], log[5], NOT_SAVED], log)
        self.assertEqual(len(summaries(log)), 1, log)
        self.assertEqual(self.files.rows(), [], "the file the other program made is still empty")
        self.assertFalse(os.path.exists(self.files.report), "no report while nothing is saved")

        # The second game writes the first one's row, then its own.
        log = self.wait_saved(2, GAP + GAME + 30)
        self.assertEqual(log.count(NOT_SAVED), 1, log)
        games = summaries(log)
        self.assertEqual(len(games), 2, log)
        for number, summary in enumerate(games, 1):
            self.assert_summary(summary, status, number)
        rows = self.files.rows()
        self.assertEqual(len(rows), 3, f"rows: {rows}\nlog: {log}")
        self.assertEqual(rows[0], HEADER)
        for row, summary in zip(rows[1:], games):
            self.assert_row_is_the_summary(row, summary)
        self.assertLess(rows[1][0], rows[2][0], "in the order played")
        self.assertEqual(sorted(os.listdir(os.path.join(self.files.folder, "timelines"))),
                         sorted(r[13] for r in rows[1:]))

        # The report of the two games as the browser shows it; the first game's APM too, though its row was
        # written with the second's.
        dom = self.rendered(self.files.report)
        table = dom.find_all("tr", "game")
        self.assertEqual([r.attrs["data-game"] for r in table], ["2", "1"])
        self.assertEqual([r.find_all("td", "apm")[0].text() for r in table], [str(g[0]) for g in reversed(games)])
        self.assertEqual([r.find_all("td", "actions")[0].text() for r in table], [str(g[1]) for g in reversed(games)])
        charts = dom.find_all("svg", "game-chart")
        self.assertEqual([c.attrs["data-game"] for c in charts], ["2", "1"])
        for chart in charts:
            self.assertEqual(len(chart.find_all("polyline", "recent")), 1)
            self.assertEqual(len(chart.find_all("circle", "peak")), 1)
        # Games of 95 s are short: drawn apart, and no best or average is made of them.
        trend = dom.find_all("svg", "progress-chart")
        self.assertEqual(len(trend), 1)
        self.assertEqual([p.attrs["data-apm"] for p in trend[0].find_all("circle", "trend-short")],
                         [str(g[0]) for g in games])
        self.assertEqual(dom.find_all("div", "best"), [])
        self.assertIn("no game of 3 minutes or more yet", dom.find_all("div", "average")[0].text())
        self.assertEqual(len(dom.find_all("section", None)) - len(dom.find_all("section", "empty")), 9,
                         "summary, the five questions, the table, the charts and the terms")
        self.page_screenshot(self.files.report, "report", 1000, 1600)

        # The window menu opens that page as it is: nothing is rewritten.
        with open(self.files.report, "rb") as f:
            written = f.read()
        self.assertEqual(open_from_menu(self), [self.files.report_windows])
        with open(self.files.report, "rb") as f:
            self.assertEqual(f.read(), written)


if __name__ == "__main__":
    harness.main()
