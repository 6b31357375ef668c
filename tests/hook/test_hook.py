"""ravik.dll against real X input: xdotool presses keys and clicks, hook_probe.exe records the reports.

Runs under the Wine session that ctest provides (CADRO_WINE, WINEPREFIX, DISPLAY); started by hand
without one, it sets up a private session first. Every action ends with a key or button release that
the probe's own window must see, and the probe takes the reports only then, so no test sleeps to wait
for input that may still be on its way.
"""
import difflib
import json
import os
import queue
import subprocess
import sys
import threading
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
KEY, CLICK = 0x8E8, 0x8E9
CTRL, SHIFT, ALT, LEFT, RIGHT = 0x01, 0x02, 0x04, 0x10, 0x20  # hook/ravik.h


def probe_path():
    build = os.environ.get("CADRO_BUILD", os.path.join(ROOT, "build", "x86_64"))
    return os.environ.get("HOOK_PROBE", os.path.join(build, "bin", "hook_probe.exe"))


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, stderr=subprocess.DEVNULL)


def describe(report):
    _, message, vk, position = report
    return "key 0x%02X" % vk if message == KEY else "click at (%d, %d)" % (position & 0xFFFF, position >> 16)


def stream_faults(sent, reports):
    """Aligns the reports with the presses sent: (press index, fault) for each mismatch, a report that
    matches no press standing beside the press it follows."""
    match = difflib.SequenceMatcher(None, [tuple(r) for r in sent], [tuple(r) for r in reports], autojunk=False)
    faults = []
    for tag, i1, i2, j1, j2 in match.get_opcodes():
        if tag in ("delete", "replace"):
            faults += [(i, "lost " + describe(sent[i])) for i in range(i1, i2)]
        if tag in ("insert", "replace"):
            faults += [(max(i1 - 1, 0), "an extra report beside it: " + describe(r)) for r in reports[j1:j2]]
    return faults


def key_report(vk, modifiers=0, target=1):
    return [target, KEY, vk, modifiers]


def click_report(x, y, button=LEFT):
    return [1, CLICK, button, (y & 0xFFFF) << 16 | (x & 0xFFFF)]


class Probe:
    def __init__(self):
        self.proc = subprocess.Popen([os.environ["CADRO_WINE"], probe_path()], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.layout = self._next()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line)
        self.lines.put(None)

    def _next(self):
        line = self.lines.get(timeout=30)
        if line is None:
            raise RuntimeError("hook_probe.exe ended, exit code %s" % self.proc.wait())
        return json.loads(line)

    def __call__(self, *words):
        self.proc.stdin.write(" ".join(map(str, words)) + "\n")
        self.proc.stdin.flush()
        return self._next()

    def close(self):
        try:
            self("quit")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()
            self.proc.wait()
        self.proc.stdin.close()
        self.reader.join(timeout=10)
        self.proc.stdout.close()


class HookTest(unittest.TestCase):
    def setUp(self):
        self.probe = Probe()
        self.addCleanup(self.probe.close)
        self.assertTrue(self.probe.layout["front"], "the game window did not come to the front")
        self.install(1)

    def install(self, target):
        self.assertEqual(self.probe("install", target)["ret"], 1)

    def reports_after(self, releases, action):
        """Runs action, waits until the probe's windows saw that many releases, returns the reports."""
        action()
        self.assertTrue(self.probe("wait", "ups", releases)["ok"], "input did not reach the probe")
        return self.probe("take")["reports"]

    def assertKeys(self, keys, expected, releases=None):
        reports = self.reports_after(releases or keys.count("+") + 1, lambda: xdotool("key", keys))
        self.assertEqual(reports, expected, keys)

    def click(self, window, x, y, button):
        left, top = self.probe.layout[window][:2]
        return lambda: xdotool("mousemove", left + x, top + y, "click", button)

    def stats(self):
        return self.probe("stats")

    def test_each_key_press_reports_its_virtual_key(self):
        cases = [
            ("a", [0x41]), ("z", [0x5A]), ("1", [0x31]), ("F8", [0x77]), ("Return", [0x0D]),
            ("Escape", [0x1B]), ("space", [0x20]), ("KP_Add", [0x6B]),
            # With the modifiers held as the key went down: none for the modifier's own press.
            ("shift+a", [0xA0, (0x41, SHIFT)]), ("ctrl+F6", [0xA2, (0x75, CTRL)]),
            ("alt+x", [0xA4, (0x58, ALT)]),  # system keys: WM_SYSKEYDOWN
            ("ctrl+shift+1", [0xA2, (0xA0, CTRL), (0x31, CTRL | SHIFT)]),
        ]
        for keys, vks in cases:
            with self.subTest(keys=keys):
                self.assertKeys(keys, [key_report(*vk) if isinstance(vk, tuple) else key_report(vk) for vk in vks])

    def test_held_key_is_reported_once(self):
        def hold(*keys):
            for k in keys:
                xdotool("keydown", k)
            self.assertTrue(self.probe("wait", "downs", 4)["ok"], "no auto-repeat: the test proves nothing")
            for k in keys:
                xdotool("keyup", k)
        self.assertEqual(self.reports_after(1, lambda: hold("b")), [key_report(0x42)])
        self.assertEqual(self.reports_after(2, lambda: hold("a", "s")), [key_report(0x41), key_report(0x53)])
        self.assertKeys("b", [key_report(0x42)])  # released, so pressed anew

    def test_left_and_right_presses_report_client_position(self):
        width, height = self.probe.layout["game"][2:]
        cases = [(0, 0, 1), (11, 21, 1), (width - 1, height - 1, 3), (144, 479, 3), (320, 240, 1)]
        for x, y, button in cases:
            with self.subTest(x=x, y=y, button=button):
                self.assertEqual(self.reports_after(1, self.click("game", x, y, button)),
                                 [click_report(x, y, LEFT if button == 1 else RIGHT)])
        with self.subTest("middle button"):
            self.assertEqual(self.reports_after(1, self.click("game", 100, 100, 2)), [])
        with self.subTest("with Ctrl held"):
            def ctrl_click():
                xdotool("keydown", "ctrl")
                self.click("game", 7, 8, 3)()
                xdotool("keyup", "ctrl")
            self.assertEqual(self.reports_after(2, ctrl_click), [key_report(0xA2), click_report(7, 8, RIGHT | CTRL)])
        with self.subTest("outside the client area, the game in front"):
            self.assertEqual(self.reports_after(1, self.click("other", 50, 50, 1)), [])

    def test_nothing_reported_while_another_window_is_in_front(self):
        self.assertTrue(self.probe("front", "other")["ok"])
        def act():
            xdotool("key", "a", "F8")
            self.click("other", 50, 50, 1)()
            self.click("other", 60, 60, 3)()
        self.assertEqual(self.reports_after(4, act), [])
        self.assertTrue(self.probe("front", "game")["ok"])
        self.assertKeys("b", [key_report(0x42)])

    def test_injected_input_is_reported(self):
        self.assertEqual(self.reports_after(1, lambda: self.probe("inject", "key", 0x51)), [key_report(0x51)])
        self.assertEqual(self.reports_after(1, lambda: self.probe("inject", "click", 50, 60)),
                         [click_report(50, 60)])

    def test_install_and_remove_repeated_are_harmless(self):
        self.install(1)
        self.assertKeys("a", [key_report(0x41)])  # still one hook, not two
        self.install(2)
        self.assertKeys("s", [key_report(0x53, target=2)])
        for _ in range(2):
            self.assertEqual(self.probe("remove")["ret"], 1)
            events = self.stats()["events"]
            self.assertEqual(self.reports_after(2, lambda: (xdotool("key", "d"), self.click("game", 5, 5, 1)())), [])
            self.assertEqual(self.stats()["events"], events, "the hooks still run after the removal")
        self.install(1)
        self.assertKeys("f", [key_report(0x46)])

    def test_removal_waits_a_bounded_time_for_a_stuck_hook_thread(self):
        self.assertTrue(self.probe("stall")["ok"])
        removed = self.probe("remove")
        self.assertEqual(removed["ret"], 0, "the stuck thread was reported ended")
        self.assertGreaterEqual(removed["ms"], 1900, "gave up on the thread before the wait's bound")
        self.assertLess(removed["ms"], 10000, "the wait for the thread did not end")
        # Installing again waits for the old thread, which ends at its quit once it runs, and then hooks once.
        self.assertTrue(self.probe("release")["ok"])
        self.install(1)
        self.assertKeys("g", [key_report(0x47)])

    def test_failed_post_is_counted_and_not_retried(self):
        before = self.stats()
        self.assertTrue(self.probe("kill", 1)["ok"])
        self.assertKeys("a", [])
        after = self.stats()
        self.assertEqual((after["posted"], after["dropped"]), (before["posted"], before["dropped"] + 1))
        self.install(2)
        self.assertKeys("b", [key_report(0x42, target=2)])
        self.assertEqual(self.stats()["posted"], before["posted"] + 1)

    def test_silently_removed_hooks_are_noticed_at_the_next_input_and_put_back(self):
        before = self.stats()["reinstalls"]
        lost = self.probe("lose")
        self.assertTrue(lost["ok"], "no reinstall after %d presses the hooks missed" % len(lost["keys"]))
        # The press that let the loss show was missed; one made as the new hooks went in may have been seen.
        keys = lost["keys"]
        allowed = [[]] + ([[key_report(keys[-1])]] if len(keys) > 1 else [])
        self.assertIn(self.probe("take")["reports"], allowed, "reported with both hooks removed")
        self.assertEqual(self.stats()["reinstalls"], before + 1)
        self.assertKeys("e", [key_report(0x45)])
        self.assertEqual(self.reports_after(1, self.click("game", 30, 40, 1)), [click_report(30, 40)])
        self.assertEqual(self.stats()["reinstalls"], before + 1, "reinstalled again while the hooks saw everything")

    def test_long_stream_across_reinstalls_is_reported_once_each_in_order(self):
        presses, ms, every = 600, 4500, 2  # a reinstall before every click (every fourth press) and more
        before = self.stats()
        stream = self.probe("stream", presses, ms, every)
        self.assertTrue(stream["ok"], "press %d did not reach the probe's window" % len(stream["sent"]))
        self.assertEqual(stream["asked"], presses // every)
        self.assertTrue(self.probe("wait", "reinstalls", before["reinstalls"] + stream["asked"])["ok"],
                        "the hook thread did not reinstall as asked")
        reports = self.probe("take")["reports"]
        after = self.stats()
        sent = [[1, *report] for report in stream["sent"]]
        keys = [vk for _, message, vk, _ in sent if message == KEY]
        self.assertEqual(len(sent), presses)
        self.assertEqual((len(keys), len(set(keys))), (presses * 3 // 4, 36))

        faults = stream_faults(sent, reports)
        lost = sum(fault.startswith("lost") for _, fault in faults)
        print("\nstream: %d presses in %.1f s, %d reinstalls asked for: %d lost, %d extra"
              % (presses, stream["ms"] / 1000, stream["asked"], lost, len(faults) - lost), file=sys.stderr)
        detail = ["press %d: %s" % (i, fault) for i, fault in faults[:20]]
        self.assertEqual(reports, sent, "\n".join(detail))
        self.assertEqual([after[k] - before[k] for k in ("posted", "dropped", "reinstalls")],
                         [presses, 0, stream["asked"]])

    def test_a_change_of_foreground_no_event_tells_of_is_seen_at_the_next_press(self):
        # Wine does not tell of every change (the first window activated from the bare desktop, one another
        # process brings forward).
        self.assertTrue(self.probe("deaf")["ok"])
        self.assertTrue(self.probe("front-quiet", "other")["ok"])
        self.assertEqual(self.reports_after(2, lambda: (xdotool("key", "a"), self.click("other", 50, 50, 1)())), [])
        self.assertTrue(self.probe("front-quiet", "game")["ok"])
        self.assertKeys("b", [key_report(0x42)])

    def press(self, vk):
        self.assertTrue(self.probe("inject", "down", vk)["ok"])
        self.assertTrue(self.probe("wait", "downs", 1)["ok"], "input did not reach the probe")
        return self.probe("take")["reports"]

    def test_key_held_across_a_change_of_foreground_or_a_reinstall_counts_once(self):
        # Held on the X keyboard, so that Wine's key state, which it takes from X at a change of focus, says so.
        def repeats():
            self.assertTrue(self.probe("wait", "downs", 2)["ok"], "no auto-repeat: the test proves nothing")
            return self.probe("take")["reports"]
        xdotool("keydown", "a")
        self.addCleanup(xdotool, "keyup", "a")
        self.assertEqual(repeats(), [key_report(0x41)])
        self.assertTrue(self.probe("front", "other")["ok"])
        self.assertTrue(self.probe("front", "game")["ok"])
        self.probe("take")
        self.assertEqual(repeats(), [], "counted again after a change of foreground")
        reinstalls = self.stats()["reinstalls"]
        self.assertTrue(self.probe("reinstall")["ok"])
        self.assertTrue(self.probe("wait", "reinstalls", reinstalls + 1)["ok"], "not reinstalled as asked")
        self.probe("take")
        self.assertEqual(repeats(), [], "counted again after a reinstall")
        self.assertEqual(self.reports_after(1, lambda: xdotool("keyup", "a")), [])
        self.assertKeys("a", [key_report(0x41)])

    def test_a_keyboard_hook_lost_while_the_mouse_moves_is_put_back(self):
        before = self.stats()["reinstalls"]
        self.assertEqual(self.press(0x41), [key_report(0x41)])
        self.assertTrue(self.probe("drop", "keyboard")["ok"])
        # Unseen: the release of A, which must still free it, and B held down.
        self.assertEqual(self.reports_after(1, lambda: self.probe("inject", "up", 0x41)), [])
        self.assertEqual(self.press(0x42), [])
        moved = self.probe("wiggle")
        self.assertTrue(moved["ok"], "not put back after %d moves of the mouse" % moved["steps"])
        self.assertEqual(self.reports_after(1, lambda: self.probe("inject", "up", 0x42)), [])
        self.assertKeys("a", [key_report(0x41)])
        self.assertKeys("b", [key_report(0x42)])
        self.assertEqual(self.stats()["reinstalls"], before + 1)

    def test_a_mouse_hook_lost_while_keys_come_is_put_back(self):
        before = self.stats()["reinstalls"]
        self.assertTrue(self.probe("drop", "mouse")["ok"])
        typed = self.probe("type")
        self.assertTrue(typed["ok"], "not put back after %d presses" % typed["steps"])
        self.probe("take")
        self.assertEqual(self.reports_after(1, self.click("game", 30, 40, 1)), [click_report(30, 40)])
        self.assertEqual(self.stats()["reinstalls"], before + 1)

    def test_the_check_slows_while_no_input_comes_and_still_finds_hooks_lost_before_the_pause(self):
        self.assertKeys("a", [key_report(0x41)])
        self.assertEqual(self.stats()["checking"], 1)
        self.assertTrue(self.probe("wait", "quiet", 1, 10000)["ok"], "the check still runs fast without input")
        self.assertKeys("b", [key_report(0x42)])
        self.assertEqual(self.stats()["checking"], 1, "input did not speed the check up again")
        # Both hooks lost at the last input before a pause: no callback comes to start a check.
        before = self.stats()["reinstalls"]
        lost = self.probe("lose", "quiet")
        self.assertTrue(lost["ok"], "not put back after %d presses made after the pause" % len(lost["keys"]))
        self.assertEqual(self.stats()["reinstalls"], before + 1)
        self.assertKeys("e", [key_report(0x45)])

    def test_clicks_follow_the_game_window_when_it_moves(self):
        # Windows tells of the move; Wine does not, and the hook thread reads the origin again on its own.
        for x, y, notice in [(120, 70, "notice"), (30, 140, "")]:
            with self.subTest(notice=bool(notice)):
                moved = self.probe("move", x, y, notice)
                self.assertTrue(moved["ok"], "the hook thread did not learn where the game's window went")
                self.probe.layout["game"][:2] = moved["game"]
                self.assertEqual(self.reports_after(1, self.click("game", 11, 21, 1)), [click_report(11, 21)])

    def test_stats_count_reports_and_callback_cost(self):
        start = self.stats()
        received = 0
        for _ in range(20):
            received += len(self.reports_after(1, lambda: xdotool("key", "a")))
            received += len(self.reports_after(1, self.click("game", 200, 200, 1)))
        stats = self.stats()
        self.assertEqual(received, 40)
        self.assertEqual(stats["posted"] - start["posted"], received)
        self.assertEqual(len(stats["cost"]), min(stats["events"], 1024))
        self.assertGreaterEqual(stats["events"] - start["events"], 80)  # downs and ups of keys and buttons
        self.assertGreater(stats["frequency"], 0)
        cost = sorted(stats["cost"])
        us = 1e6 / stats["frequency"]
        print("\ncallback cost over %d events: median %.1f us, 99th percentile %.1f us"
              % (len(cost), cost[len(cost) // 2] * us, cost[min(len(cost) - 1, len(cost) * 99 // 100)] * us),
              file=sys.stderr)


def main():
    if not (os.environ.get("CADRO_WINE") and os.environ.get("WINEPREFIX") and os.environ.get("DISPLAY")):
        # Started by hand: run again inside a private session of our own.
        script = 'source "$1/tools/wine_env.sh"; trap wine_session_stop EXIT; wine_session_start; python3 "${@:2}"'
        sys.exit(subprocess.call(["bash", "-c", script, "bash", ROOT, os.path.abspath(__file__), *sys.argv[1:]]))
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
