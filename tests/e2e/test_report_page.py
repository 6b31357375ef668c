"""The game report in a real browser: report_sample.exe writes the page of a made-up history under Wine,
Debian's chromium loads it headless as a local file, and the rendered DOM is checked against the records
the sample printed; a screenshot goes with the test's artifacts."""

import os

import harness

HOSTILE = "<script>alert(1)</script>"


class ReportPageTest(harness.BrowserTestCase):
    def make_report(self, games):
        """Writes the report of `games` made-up games; returns (its path, the records as dicts, oldest first)."""
        path = os.path.join(self.artifacts, f"report-{games}.html")
        code, out = self.session.wine_run(self.session.exe("report_sample.exe"), harness.winpath(path), str(games))
        self.assertEqual(code, 0, out)
        records = []
        for line in out.split("\n"):
            if line.startswith("game "):
                words = line.split()
                records.append({"number": words[1], "apm": words[3], "actions": words[5]})
        self.assertEqual(len(records), games, out)
        self.assertTrue(os.path.isfile(path))
        return path, records

    def test_three_games_render_with_their_table_charts_and_trend(self):
        path, records = self.make_report(3)
        dom = self.rendered(path)

        rows = dom.find_all("tr", "game")
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
            self.assertIn("minutes", [t.text() for t in chart.find_all("text", "xname")])
        trend = dom.find_all("svg", "trend-chart")
        self.assertEqual(len(trend), 1)
        points = trend[0].find_all("circle", "trend-point")
        self.assertEqual([p.attrs["data-apm"] for p in points], [r["apm"] for r in records])
        self.assertEqual(trend[0].attrs["data-points"], "3")
        games = dom.find_all("div", "games")[0].find_all("dd")[0].text()
        self.assertEqual(games, "3")

        # The hostile texts arrive as text: shown as their characters, and no element made of them.
        texts = cells("texts")
        self.assertIn(HOSTILE, texts[1])
        self.assertIn("a&b <b>bold</b>", texts[1])
        self.assertEqual(dom.find_all("script"), [])
        self.assertEqual(dom.find_all("b"), [])

        self.page_screenshot(path, "report-3", 1000, 2200)

    def test_no_games_yet(self):
        path, _ = self.make_report(0)
        dom = self.rendered(path)
        self.assertEqual(len(dom.find_all("section", "empty")), 1)
        self.assertIn("No games yet.", dom.find_all("section", "empty")[0].text())
        self.assertEqual(dom.find_all("svg"), [])
        self.assertEqual(dom.find_all("table"), [])

    def test_a_long_history_stays_light(self):
        path, records = self.make_report(10000)
        self.assertLess(os.path.getsize(path), 2 << 20)
        dom = self.rendered(path)
        rows = dom.find_all("tr", "game")
        self.assertEqual(len(rows), 100)
        self.assertEqual(rows[0].find_all("td", "apm")[0].text(), records[-1]["apm"])
        self.assertEqual(len(dom.find_all("svg", "game-chart")), 20)
        self.assertEqual(len(dom.find_all("circle", "trend-point")), 200)


if __name__ == "__main__":
    harness.main()
