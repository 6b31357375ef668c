"""The game report in a real browser: report_sample.exe writes the page of a made-up history under Wine,
Debian's chromium loads it headless as a local file, and the rendered DOM is checked against the records
the sample printed, and against the answers a crafted player's history is known to give; screenshots go
with the test's artifacts."""

import os
import re

import harness

HOSTILE = "<script>alert(1)</script>"


class ReportPageTest(harness.BrowserTestCase):
    def make_report(self, games):
        """Writes the report of `games` made-up games (or "learning"); returns (its path, the records as dicts,
        oldest first)."""
        path = os.path.join(self.artifacts, f"report-{games}.html")
        code, out = self.session.wine_run(self.session.exe("report_sample.exe"), harness.winpath(path), str(games))
        self.assertEqual(code, 0, out)
        records = []
        for line in out.split("\n"):
            if line.startswith("game "):
                words = line.split()
                records.append({"number": words[1], "apm": words[3], "actions": words[5]})
        if games != "learning":
            self.assertEqual(len(records), games, out)
        self.assertTrue(os.path.isfile(path))
        return path, records

    def test_three_games_render_with_their_table_charts_and_trend(self):
        path, records = self.make_report(3)
        dom = self.rendered(path)

        rows = dom.find_all("table", "games")[0].find_all("tr", "game")
        self.assertEqual([r.attrs["data-game"] for r in rows], ["3", "2", "1"])
        cells = lambda cls: [r.find_all("td", cls)[0].text() for r in rows]
        newest_first = list(reversed(records))
        self.assertEqual(cells("apm"), [r["apm"] for r in newest_first])
        self.assertEqual(cells("actions"), [r["actions"] for r in newest_first])

        charts = dom.find_all("svg", "game-chart")
        self.assertEqual([c.attrs["data-game"] for c in charts], ["3", "2", "1"])
        for chart in charts:
            self.assertEqual(len(chart.find_all("polyline", "recent")), 1)
            self.assertEqual(len(chart.find_all("path", "whole")), 1)
            self.assertEqual(len(chart.find_all("circle", "peak")), 1)
            self.assertEqual([t.text() for t in chart.find_all("text", "xname")], ["time into the game"])
            self.assertIn("APM", [t.text() for t in chart.find_all("text", "yname")])
            self.assertTrue(all(re.fullmatch(r"\d\d:\d\d:\d\d", t.text()) for t in chart.find_all("text", "xlabel")))
        trend = dom.find_all("svg", "progress-chart")
        self.assertEqual(len(trend), 1)
        points = trend[0].find_all("circle", "trend-point")
        self.assertEqual([p.attrs["data-apm"] for p in points], [r["apm"] for r in records])
        self.assertEqual(trend[0].attrs["data-points"], "3")
        games = dom.find_all("div", "games")[0].find_all("dd")[0].text()
        self.assertEqual(games, "3")

        # The hostile texts arrive as text: shown as their characters, and no element made of them.
        self.assertEqual(cells("player")[1], HOSTILE)
        self.assertEqual(cells("mode")[1], "a&b <b>bold</b>")
        # The override arrives replaced, and the caption's game texts each in an element of their own, so that
        # no text can turn the words after it around.
        self.assertEqual(cells("map")[1], "\ufffdTemple")
        self.assertNotIn("\u202e", dom.text())
        caption = dom.find_all("figure", "game")[1].find_all("figcaption")[0]
        self.assertEqual([b.text() for b in caption.find_all("bdi")], [HOSTILE, "\ufffdTemple", "a&b <b>bold</b>"])
        self.assertTrue(caption.text().endswith("Map: \ufffdTemple, Game type: a&b <b>bold</b>"), caption.text())
        self.assertEqual(dom.find_all("script"), [])
        self.assertEqual(dom.find_all("b"), [])

        self.page_screenshot(path, "report-3", 1000, 2200)

    def test_no_games_yet(self):
        path, _ = self.make_report(0)
        dom = self.rendered(path)
        self.assertEqual(len(dom.find_all("section", "empty")), 1)
        empty = dom.find_all("section", "empty")[0].text()
        self.assertIn("No games yet.", empty)
        self.assertIn("Games shorter than the 80-second warm-up", empty)
        self.assertEqual(len(dom.find_all("dl", "terms")), 1, "the terms are explained")
        self.assertEqual(dom.find_all("svg"), [])
        self.assertEqual(dom.find_all("table"), [])

    def test_a_long_history_stays_light(self):
        path, records = self.make_report(10000)
        self.assertLess(os.path.getsize(path), 2 << 20)
        dom = self.rendered(path)
        rows = dom.find_all("table", "games")[0].find_all("tr", "game")
        self.assertEqual(len(rows), 100)
        self.assertEqual(rows[0].find_all("td", "apm")[0].text(), records[-1]["apm"])
        self.assertEqual(len(dom.find_all("svg", "game-chart")), 20)
        self.assertEqual(len(dom.find_all("circle", "trend-point")), 1000)

    def test_a_crafted_players_page_answers_the_four_questions(self):
        """Eight weeks of a player who gets faster week by week, slows after 10 minutes of a game, tires after
        the third game of a session and is faster on one map: each answer is read from the rendered page."""
        path, records = self.make_report("learning")
        dom = self.rendered(path)
        answer = lambda element_id: next(p for p in dom.find_all("p", "answer") if p.attrs.get("id") == element_id)

        # Am I getting faster? The weeks' averages rise, and the last four weeks beat the four before.
        progress = answer("progress-answer")
        self.assertEqual(progress.attrs["data-change"], "32", progress.text())
        self.assertIn("faster", progress.text())
        # Each answer says how many games stand behind it: 10 and 10 games, 60 and 60 over the weeks.
        last_games = answer("progress-games")
        self.assertEqual((last_games.attrs["data-games"], last_games.attrs["data-before-games"]), ("10", "10"))
        self.assertEqual((progress.attrs["data-games"], progress.attrs["data-before-games"]), ("60", "60"))
        self.assertIn("over 60 games", progress.text())
        weeks = dom.find_all("table", "weeks")[0].find_all("tr", "week")
        self.assertEqual([w.attrs["data-week"] for w in weeks][-1], "2026-10-05")
        averages = [int(w.find_all("td", "apm")[0].text()) for w in weeks]
        self.assertEqual(averages, sorted(averages, reverse=True), "newest first, each week faster")
        self.assertEqual(len(averages), 8)
        # The short games of 400 and 900 APM are drawn apart and are no best game.
        chart = dom.find_all("svg", "progress-chart")[0]
        self.assertEqual([c.attrs["data-apm"] for c in chart.find_all("circle", "trend-short")], ["400", "900"])
        self.assertEqual(len(chart.find_all("circle", "best-game")), 1)
        best = dom.find_all("div", "best")[0].text()
        self.assertIn("171 APM", best)
        self.assertTrue(all(re.fullmatch(r"\d{4}-\d\d-\d\d", t.text()) for t in chart.find_all("text", "xlabel")),
                        "dates on the axis")

        # Where in a game do I slow down? After 10 minutes.
        phases = answer("phases-answer")
        self.assertEqual(phases.attrs["data-from"], "600", phases.text())
        phase_rows = dom.find_all("table", "phases")[0].find_all("tr", "phase")
        rows = {r.attrs["data-from"]: int(r.find_all("td", "apm")[0].text())
                for r in phase_rows if r.attrs["data-from"] != "1200"}
        self.assertGreater(rows["300"], rows["600"] * 1.3)
        # The two short games among the last 20, the newest one of 900 APM, are left out of the phases, which
        # count as a game's APM is: the first phase stands under the best game.
        self.assertEqual(phase_rows[0].find_all("td", "games")[0].text(), "18")
        self.assertLessEqual(rows["0"], 171)

        # Do I tire over a session? After the third game.
        sessions = answer("sessions-answer")
        self.assertEqual(sessions.attrs["data-after"], "3", sessions.text())
        places = [r.find_all("td", "apm")[0].text() for r in dom.find_all("table", "places")[0].find_all("tr", "place")]
        self.assertEqual(len(set(places[:3])), 1, places)
        self.assertLess(int(places[3]), int(places[2]))

        # Which maps? Faster on one than the other, in a column named for what it holds.
        maps = next(p for p in dom.find_all("p", "answer") if p.attrs.get("data-column") == "map").text()
        self.assertIn("fastest on Lost Temple", maps)
        self.assertIn("slowest on Python", maps)
        table = next(t for t in dom.find_all("table", "by-text") if t.attrs["data-column"] == "map")
        self.assertEqual(table.find_all("th")[0].text(), "Map")

        # Every 15-minute game's chart shades its pause below the limit and marks its alert.
        charts = [c for c in dom.find_all("svg", "game-chart") if c.attrs["data-samples"] == "901"]
        self.assertEqual(len(charts), 18, "the newest 20 but the two short ones")
        for game_chart in charts:
            self.assertEqual([a.attrs["data-seconds"] for a in game_chart.find_all("path", "alert")], ["739"])
            self.assertEqual(len(game_chart.find_all("rect", "below")), 1)
        self.assertEqual(len(dom.find_all("dl", "terms")), 1)
        self.page_screenshot(path, "report-learning", 1000, 2400)


if __name__ == "__main__":
    harness.main()
