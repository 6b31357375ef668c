"""The game history and its report beside the simulated game: three summarised games in a row, their rows
and timelines against the log's summaries, the first while another program holds the history file open
sharing nothing (it is said in the log, and written with the second); the report of the three in the
browser, and the window menu opening it (a recorder stands in for the browser, which Wine lacks)."""

import csv
import io
import ntpath
import os
import re
import shutil
import time

import harness
from test_probes import texts

GAME = 86  # seconds: past the 80 s warm-up, so that each game logs a summary
WARM_UP = 80
HISTORY = r"%APPDATA%\Vorkel\cadro\history.csv"
REPORT = "report.html"
WAITING = "Waiting for game..."
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


def saved_games(log):
    """The summaries of the games whose saving is over: each game's history and report are written between
    its summary and the next "Waiting for game..."."""
    waits = [i for i, line in enumerate(log) if line == WAITING]
    return summaries(log[:waits[-1]] if waits else [])


IDM_GAME_HISTORY = 0x20
# Wine 8 looks up file types in the machine's classes only, not in the user's.
CLASSES = r"HKLM\Software\Classes"
PROG_ID = "CadroTest.Page"


class HistoryTest(harness.BrowserTestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        code, out = self.session.wine_run(self.session.exe("hold_file.exe"), "--where", HISTORY)
        self.assertEqual(code, 0)
        self.history = self.unix_path(out.strip())
        self.folder = os.path.dirname(self.history)
        self.report = os.path.join(self.folder, REPORT)
        self.report_windows = ntpath.join(ntpath.dirname(out.strip()), REPORT)
        shutil.rmtree(self.folder, ignore_errors=True)  # the prefix outlives a test

    def unix_path(self, path):
        drive, rest = path[0].lower(), path[2:].strip("\\")
        return os.path.join(self.session.env["WINEPREFIX"], "dosdevices", drive + ":", *rest.split("\\"))

    def wait_saved(self, games, seconds):
        """Waits until the log says that `games` games are over and saved; returns the log of that moment."""
        log = []

        def done():
            log[:] = texts(self.log())
            return len(saved_games(log)) >= games

        if not self.wait_until(done, seconds, step=1):
            self.fail(f"{games} games not saved within {seconds} s; log:\n" + "\n".join(log))
        return log

    def open_from_menu(self):
        """Chooses "Game history..." in the window menu, with a recorder registered in the prefix as what opens
        .html files; returns the arguments the recorder was first started with."""
        opened = os.path.join(self.artifacts, "opened.txt")
        command = f'"{harness.winpath(self.session.exe("record_open.exe"))}" "{harness.winpath(opened)}" "%1"'
        for key, data in ((CLASSES + r"\.html", PROG_ID), (rf"{CLASSES}\{PROG_ID}\shell\open\command", command)):
            self.addCleanup(self.reg_delete, key.rsplit("\\shell", 1)[0])
            code, _ = self.session.wine_run("reg", "add", key, "/ve", "/d", data, "/f")
            self.assertEqual(code, 0, key)
        self.assertTrue(self.driver("post", harness.WM_SYSCOMMAND, IDM_GAME_HISTORY, 0).ok)

        def lines():  # only whole lines: the recorder writes each in one piece
            with open(opened, "rb") as f:
                text = f.read().decode("utf-8")
            return text.endswith("\n") and [line.split("\t") for line in text.split("\n")[:-1]]

        found = self.wait_until(lambda: os.path.exists(opened) and lines(), 30)
        self.assertTrue(found, "nothing was opened")
        return found[0]

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

    def test_three_games_kept_the_first_written_after_its_file_was_held_and_their_report(self):
        self.start_sim("--games", 3, "--start-after", 3, "--length", GAME, "--gap", 3, "--apm", 120,
                       "--exit-after", 3 + 3 * GAME + 2 * 3 + 15)
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
        self.assertFalse(os.path.exists(self.report), "no report while nothing is saved")

        # The second game writes the first one's row, then its own; the third adds its row.
        for games in (2, 3):
            log = self.wait_saved(games, GAME + 30)
            rows = self.rows()
            self.assertEqual(len(rows), 1 + games, f"rows: {rows}\nlog: {log}")
        self.assertEqual(log.count(NOT_SAVED), 1, log)
        self.assertEqual(rows[0], HEADER)
        games = summaries(log)
        self.assertEqual(len(games), 3, log)
        for row, summary in zip(rows[1:], games):
            self.assert_row_is_the_summary(row, summary)
        self.assertEqual([r[0] for r in rows[1:]], sorted(r[0] for r in rows[1:]), "in the order played")
        self.assertEqual(len({r[0] for r in rows[1:]}), 3)
        self.assertEqual(sorted(os.listdir(os.path.join(self.folder, "timelines"))), sorted(r[13] for r in rows[1:]))

        # The report of the three games as the browser shows it; the first game's APM too, though its
        # row was written with the second's.
        dom = self.rendered(self.report)
        table = dom.find_all("tr", "game")
        self.assertEqual([r.attrs["data-game"] for r in table], ["3", "2", "1"])
        self.assertEqual([r.find_all("td", "apm")[0].text() for r in table], [str(g[0]) for g in reversed(games)])
        self.assertEqual([r.find_all("td", "actions")[0].text() for r in table], [str(g[1]) for g in reversed(games)])
        charts = dom.find_all("svg", "game-chart")
        self.assertEqual([c.attrs["data-game"] for c in charts], ["3", "2", "1"])
        for chart in charts:
            self.assertEqual(len(chart.find_all("polyline", "recent")), 1)
            self.assertEqual(len(chart.find_all("circle", "peak")), 1)
        trend = dom.find_all("svg", "trend-chart")
        self.assertEqual(len(trend), 1)
        self.assertEqual([p.attrs["data-apm"] for p in trend[0].find_all("circle", "trend-point")],
                         [str(g[0]) for g in games])
        self.page_screenshot(self.report, "report", 1000, 2200)

        # The window menu opens that page as it is: nothing is rewritten.
        with open(self.report, "rb") as f:
            written = f.read()
        self.assertEqual(self.open_from_menu(), [self.report_windows])
        with open(self.report, "rb") as f:
            self.assertEqual(f.read(), written)

    def test_the_window_menu_opens_the_report_written_when_missing(self):
        self.start_cadro()
        self.wait_log("Please start BW", 15)
        self.assertFalse(os.path.exists(self.report))
        self.assertEqual(self.open_from_menu(), [self.report_windows])
        # Written before it was opened: it says there are no games yet, and nothing else is made.
        self.assertEqual(sorted(os.listdir(self.folder)), [REPORT])
        dom = self.rendered(self.report)
        self.assertIn("No games yet.", dom.find_all("section", "empty")[0].text())
        self.assertEqual(dom.find_all("table"), [])


if __name__ == "__main__":
    harness.main()
