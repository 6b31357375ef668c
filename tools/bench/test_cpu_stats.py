"""Unit tests of the CPU comparison's arithmetic (python3 -m unittest in tools/bench; bench.sh runs them)."""

import unittest

from cpu_stats import (OWN, delta_ns, drift, pairs, paired, rate, ratio, schedstat_ns, spread, start_ticks,
                       window_parts)
from cpu_table import control


class ReadingTheKernel(unittest.TestCase):
    def test_schedstat_first_field_is_cpu_ns(self):
        self.assertEqual(schedstat_ns("85041758 273772097 4376\n"), 85041758)
        with self.assertRaises(ValueError):
            schedstat_ns("")

    def test_start_time_is_counted_after_the_name(self):
        # A name with spaces and a closing parenthesis of its own must not shift the fields.
        fields = " ".join(str(n) for n in range(3, 45))
        self.assertEqual(start_ticks(f"4074 (cadro.exe) {fields}"), 22)
        self.assertEqual(start_ticks(f"4074 (a) b (c)) {fields}"), 22)


class WindowParts(unittest.TestCase):
    servers = {"wineserver": 1000, "xvfb": 500}

    def test_threads_go_to_main_hook_and_others(self):
        before = {10: (5, 100), 12: (9, 50), 11: (7, 20)}
        after = {10: (5, 400), 12: (9, 80), 11: (7, 220), 13: (30, 7)}
        parts, count, lost = window_parts(10, before, after, self.servers, {"wineserver": 1600, "xvfb": 900})
        # The hook thread is the earliest to start after the main one, whatever its id.
        self.assertEqual(parts, {"main": 300, "hook": 200, "others": 30 + 7, "wineserver": 600, "xvfb": 400})
        self.assertEqual((count, lost), (4, 0))

    def test_a_thread_gone_is_counted_and_a_server_not_found_is_not_measured(self):
        before = {10: (5, 100), 11: (7, 20), 12: (9, 50)}
        after = {10: (5, 150), 11: (7, 20)}
        parts, count, lost = window_parts(10, before, after, {"wineserver": None, "xvfb": 5}, self.servers)
        self.assertEqual((parts["main"], parts["hook"], parts["others"]), (50, 0, 0))
        self.assertIsNone(parts["wineserver"])
        self.assertEqual((count, lost), (2, 1))

    def test_the_control_counts_every_thread_of_the_game_and_needs_it_found(self):
        self.assertEqual(delta_ns({1: (5, 100), 2: (6, 10)}, {1: (5, 400), 2: (6, 10), 3: (9, 7)}), 307)
        self.assertIsNone(delta_ns({1: (5, 100)}, {}))


def window(seconds, **parts):
    return {"seconds": seconds, "parts": dict({"main": 0, "hook": 0, "others": 0}, **parts)}


def record(program, run, **parts):
    return {"program": program, "run": run, "windows": {"game": window(1, **parts)}}


class RunsAndTheirSpread(unittest.TestCase):
    def test_spread_is_median_min_max_of_what_was_measured(self):
        self.assertEqual(spread([3, 1, None, 2]), (2, 1, 3))
        self.assertEqual(spread([4, 1]), (2.5, 1, 4))
        self.assertIsNone(spread([None]))

    def test_rates_are_per_second_and_need_every_part(self):
        w = window(2.0, main=300, hook=100, wineserver=None)
        self.assertEqual(rate(w, OWN), 200)
        self.assertIsNone(rate(w, OWN + ("wineserver",)))

    def test_sides_pair_by_run_whatever_order_they_came_in(self):
        # The order the sessions finish in: the floor's runs back to front, run 3 without its floor.
        records = [record("cadro", 1, main=110), record("cadro", 2, main=120, xvfb=None), record("cadro", 3, main=300),
                   record("floor", 2, main=60, xvfb=5), record("floor", 1, main=100)]
        both = pairs(records, "game")
        self.assertEqual(paired(both, OWN, ratio), [1.1, 2.0])
        self.assertEqual(paired(both, ("main", "xvfb"), ratio), [])
        self.assertEqual(pairs(records, "between"), [])
        self.assertIsNone(ratio(5, 0))

    def test_the_control_line_gives_the_floors_game_over_cadros_per_pair(self):
        records = [record("floor", 1, sim=1100), record("cadro", 1, sim=1000), record("cadro", 2, sim=1000),
                   record("floor", 2, sim=900), record("cadro", 3, sim=1000), record("floor", 3, sim=1000)]
        self.assertEqual(drift(pairs(records, "game")), [1.1, 0.9, 1.0])
        self.assertIn("in a game 1.000× (0.900×–1.100×) over 3 pair(s); between games n/a over 0 pair(s)",
                      control(records))


if __name__ == "__main__":
    unittest.main()
