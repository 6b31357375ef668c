"""Effective APM end to end: a clean player's game and a spammer's, played by the simulated game into the
real program, each below the limit for a while after the warm-up and back above it; the rows, the report's
spam figures and the sounds heard (the back sound chosen for the first game only, from the window menu)."""

import os
import shutil

import harness
from harness import WM_SYSCOMMAND
from test_game import HistoryFiles
from test_link import ended_counts
from test_settings import audible, frames, main_key

GAME = 125
# A step every 750 ms: the spammer's held key repeats slower than 420 ms, so its 6th and later presses
# overflow the queue. No input from 60 to 100 s: the short-term APM falls below the limit of 30 soon after
# the warm-up (the spammer's later, its ring holding more), with alerts, and is back above once input comes
# again; none after 120 s, so the actions counted are those between, and the rate stays above till the end.
PLAN = ["--games", 2, "--start-after", 3, "--length", GAME, "--gap", 8, "--apm", 80, "--pattern", "clean,spammer",
        "--pause-input", 60, 100, "--input-until", 120]
KINDS = ("reselect", "order", "assign", "overflow")
IDM_BACK_SOUND = 0x40


def made(status, game):
    """What the game's input made while Cadro counted: actions and spam by kind."""
    paused, stopped = (ended_counts(status, game, what) for what in ("input paused", "input stopped"))
    return {k: stopped[k] - paused[k] for k in ("actions",) + KINDS}


class EffectiveTest(harness.BrowserTestCase):
    def setUp(self):
        super().setUp()
        self.reset_cadro_registry()
        self.files = HistoryFiles(self)
        shutil.rmtree(self.files.folder, ignore_errors=True)  # the prefix outlives a test

    def test_a_clean_players_game_and_a_spammers_their_figures_and_the_back_sound(self):
        for name, value in (("APMLIMIT", 30), ("BEEPFREQ", 1), ("backsound", 1)):
            self.reg_add(main_key(), name, value, "REG_DWORD")
        raw = os.path.join(self.artifacts, "played.raw")
        _, status = self.start_sim(*PLAN)
        self.start_cadro_hearing(raw, each_apart=True)
        rows = lambda n: (lambda r: r if r and len(r) > n else None)(self.files.rows())
        self.assertTrue(self.wait_until(lambda: rows(1), GAME + 60, step=1), "the first game was not saved")
        self.assertTrue(self.driver("post", WM_SYSCOMMAND, IDM_BACK_SOUND, 0).ok)
        self.assertTrue(self.wait_until(lambda: self.reg_query(main_key(), "backsound") == "0x0", 10),
                        "the menu's choice is not kept at once")
        found = self.wait_until(lambda: rows(2), GAME + 60, step=1)
        self.assertTrue(found, "the second game was not saved")
        clean, spammer = found[1], found[2]
        print(f"rows {clean}\n{spammer}")

        # The clean player: every action counted is effective.
        made1, made2 = made(status, 1), made(status, 2)
        print(f"made {made1} {made2}")
        self.assertEqual(int(clean[3]), made1["actions"])
        self.assertEqual(int(clean[15]), 0)
        self.assertLessEqual(abs(int(clean[14]) - int(clean[2])), 1, "effective APM against APM")
        # The spammer: each kind as the game made it, and the effective APM well below the APM.
        self.assertEqual(int(spammer[3]), made2["actions"])
        self.assertEqual([int(n) for n in spammer[16:20]], [made2[k] for k in KINDS])
        self.assertEqual(int(spammer[15]), sum(made2[k] for k in KINDS))
        self.assertLess(int(spammer[14]), 0.7 * int(spammer[2]))

        # The page's spam share of each game is the input's.
        dom = self.rendered(self.files.report)
        shares = [r.find_all("td", "spam")[0].text() for r in dom.find_all("tr", "game")]
        share = int(100 * sum(made2[k] for k in KINDS) / made2["actions"] + 0.5)
        self.assertEqual(shares, [f"{share} %", "0 %"])
        self.assertEqual(len(dom.find_all("polyline", "effective")), 2)

        # Heard, a sound a file: every alert of both games, and the back sound once, after the first game's.
        self.assertGreater(int(clean[8]), 0)
        self.assertGreater(int(spammer[8]), 0)
        names = {}
        for f in ("cadro.wav", "back.wav"):
            names[tuple(audible(frames(self.session.exe(os.path.join("apmsounds", f)))))] = f
        played = sorted(n for n in os.listdir(self.artifacts) if n.startswith("played.raw"))
        heard = []
        for name in played:
            with open(os.path.join(self.artifacts, name), "rb") as f:
                sound = tuple(audible(f.read()))
            if sound:
                heard.append(names.get(sound, "something else"))
        self.assertEqual(heard, ["cadro.wav"] * int(clean[8]) + ["back.wav"] + ["cadro.wav"] * int(spammer[8]))


if __name__ == "__main__":
    harness.main()
