"""One measured game onto a history an earlier run left torn by a power cut, while another program holds
history.csv open sharing nothing when the game ends; then the program is closed. Every old byte stays as it
was, the game's row is written at the exit on a line of its own, the report is written again with it, and
the earlier run's texts that look like markup are shown as text. And a game whose history is held until
after the program has closed: its row is written once, at the program's next start."""

import csv
import io
import os
import shutil
import time

import harness
from harness import IDC_EXIT, texts
from test_game import GAME, HEADER, HISTORY, NOT_SAVED, QUIET, HistoryFiles, summaries
from test_link import FULL_INPUT

OLD_TIMELINE = "2026-01-02_03-04-05.csv"
HOSTILE = ["<b>bold</b>", "<script>document.title='x'</script>", "a & b"]


def rows_text(rows):
    out = io.StringIO()
    csv.writer(out, lineterminator="\r\n").writerows(rows)
    return out.getvalue()


class HistoryKeptTest(harness.BrowserTestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        self.files = HistoryFiles(self)

    def write_earlier_history(self):
        """history.csv with one whole row and a last row cut mid-line, and the whole row's timeline."""
        os.makedirs(os.path.join(self.files.folder, "timelines"), exist_ok=True)
        old = ["2026-01-02T03:04:05", "100", "123", "40", "200", "90", "50", "3", "1", "game over", *HOSTILE,
               OLD_TIMELINE]
        torn = rows_text([["2026-01-02T04:00:00", "100", "77", "40", "200", "90", "50", "3", "1", "game over",
                           "Player", "Lost Temple", "Melee", ""]])
        data = ("\ufeff" + rows_text([HEADER[:14], old])).encode("utf-8") + torn[:len(torn) // 2].encode("utf-8")
        with open(self.files.csv, "wb") as f:
            f.write(data)
        with open(os.path.join(self.files.folder, "timelines", OLD_TIMELINE), "wb") as f:
            f.write(b"seconds,apm,recent\r\n" + b"".join(b"%d,,%d\r\n" % (s, s) for s in range(100)))
        return data

    def test_a_game_held_from_its_history_is_written_at_exit_after_every_old_byte(self):
        old = self.write_earlier_history()
        sim, _ = self.start_sim("--games", 1, "--start-after", 3, "--length", GAME, "--exit-after", GAME + 40,
                                *FULL_INPUT, *QUIET)
        cadro = self.start_cadro()
        self.wait_log("Game started", 15)
        started = time.monotonic()
        time.sleep(max(0.0, started + GAME - 20 - time.monotonic()))
        release = os.path.join(self.artifacts, "release")
        holder = self.start("hold_file.exe", HISTORY, harness.winpath(release), 90)
        self.assertTrue(self.wait_until(lambda: "held" in holder.output().split("\n"), 10), holder.output())
        log = texts(self.wait_log(NOT_SAVED, 60))
        games = summaries(log)
        self.assertEqual(len(games), 1, log)
        with open(self.files.csv, "rb") as f:
            self.assertEqual(f.read(), old, "nothing written while held")
        open(release, "w").close()
        self.assertEqual(holder.wait(10), 0, holder.output())

        self.assertTrue(self.driver("click", IDC_EXIT).ok)
        self.assertIsNotNone(cadro.wait(10), "Cadro did not end")
        with open(self.files.csv, "rb") as f:
            data = f.read()
        self.assertEqual(data[:len(old)], old, "every old byte kept as it was")
        new = data[len(old):].decode("utf-8")
        self.assertTrue(new.startswith("\r\n"), "the new row starts a line of its own")
        self.assertTrue(new.endswith("\r\n"))
        self.assertEqual(new[2:-2].count("\r\n"), 0, f"exactly one new row: {new!r}")
        row = next(csv.reader(io.StringIO(new[2:], newline="")))
        self.assertEqual(len(row), len(HEADER), row)
        self.assertEqual((int(row[2]), int(row[3])), games[0][:2], "the row is the game's summary")

        dom = self.rendered(self.files.report)
        table = dom.find_all("tr", "game")
        apms = [r.find_all("td", "apm")[0].text() for r in table]
        self.assertEqual(apms, [str(games[0][0]), "123"], "the new game, then the earlier run's")
        shown = [table[1].find_all("td", column)[0].text() for column in ("player", "map", "mode")]
        self.assertEqual(shown, HOSTILE, "markup from the file is shown as text")
        self.assertEqual(dom.find_all("b") + dom.find_all("script"), [], "no element came from the file")
        sim.stop()

    def test_a_game_held_past_the_programs_end_is_written_once_at_its_next_start(self):
        shutil.rmtree(self.files.folder, ignore_errors=True)  # the other test's history
        sim, _ = self.start_sim("--games", 1, "--start-after", 3, "--length", GAME, *FULL_INPUT, *QUIET)
        cadro = self.start_cadro()
        self.wait_log("Game started", 15)
        release = os.path.join(self.artifacts, "release")
        holder = self.start("hold_file.exe", HISTORY, harness.winpath(release), 600)
        self.assertTrue(self.wait_until(lambda: "held" in holder.output().split("\n"), 10), holder.output())
        games = summaries(texts(self.wait_log(NOT_SAVED, GAME + 60)))
        self.assertEqual(len(games), 1)
        sim.stop()
        self.assertTrue(self.driver("click", IDC_EXIT).ok)
        self.assertIsNotNone(cadro.wait(10), "Cadro did not end")
        self.assertEqual(self.files.rows(), [], "nothing written while held")
        open(release, "w").close()
        self.assertEqual(holder.wait(10), 0, holder.output())

        self.start_cadro()
        # The kept game is written before the program looks for the game.
        self.wait_log_stable("Please start BW", 30)
        self.assertNotIn(NOT_SAVED, texts(self.log()))
        rows = self.files.rows()
        self.assertEqual(len(rows), 2, f"the header and the game's row, once: {rows}")
        self.assertEqual((int(rows[1][2]), int(rows[1][3])), games[0][:2], "the row is the game's summary")
        self.assertGreater(len(self.files.timeline(rows[1][13])), GAME - 5, "with its timeline")
        self.assertFalse(os.path.exists(os.path.join(self.files.folder, "waiting.csv")))


if __name__ == "__main__":
    harness.main()
