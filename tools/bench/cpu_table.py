"""The CPU comparison's markdown table, from the JSON lines cpu_sampler.py wrote: Cadro against the floor
per state, its own threads alone and with its session's wineserver and Xvfb, each figure the median of
the runs with their range, the ratios taken pair by pair (a pair: Cadro's and the floor's sessions of one
run), where the difference goes, part by part, and under it the control's drift.

usage: cpu_table.py RESULTS [--window S] [--parallel]"""

import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_stats import CONTROL, OWN, PARTS, drift, pairs, paired, rate, ratio, spread  # noqa: E402

STATES = (("game", "In a game"), ("between", "Between games"))
PART_NAMES = {"main": "main thread", "hook": "hook thread", "others": "other threads",
              "wineserver": "its wineserver", "xvfb": "its Xvfb", CONTROL: "the simulated game (control)"}
GOAL_OWN, GOAL_SERVERS = 1.05, 1.10


def ns(value):
    return "n/a" if value is None else f"{value:,.0f}"


def cell(values, form=ns):
    s = spread(values)
    if s is None:
        return "n/a"
    return f"{form(s[0])} ({form(s[1])}–{form(s[2])})" if len(values) > 1 else form(s[0])


def times(value):
    return f"{value:.3f}×"


def goal(values, limit):
    s = spread(values)
    if s is None:
        return "not measured"
    return f"≤ {limit:.2f}×: " + ("met" if s[0] <= limit else "NOT met")


def runs_of(records, program, state):
    return [r["windows"][state] for r in records if r["program"] == program and state in r["windows"]]


def comparison(records):
    lines = ["| state | Cadro, own threads | floor, own threads | Cadro / floor | goal "
             "| Cadro + wineserver + Xvfb | floor + wineserver + Xvfb | Cadro / floor | goal |",
             "|---|---|---|---|---|---|---|---|---|"]
    servers = OWN + ("wineserver", "xvfb")
    for state, title in STATES:
        cadro, floor = runs_of(records, "cadro", state), runs_of(records, "floor", state)
        both = pairs(records, state)
        own = paired(both, OWN, ratio)
        total = paired(both, servers, ratio)
        lines.append(f"| {title} | {cell([rate(w, OWN) for w in cadro])} | {cell([rate(w, OWN) for w in floor])} "
                     f"| {cell(own, times)} | {goal(own, GOAL_OWN)} "
                     f"| {cell([rate(w, servers) for w in cadro])} | {cell([rate(w, servers) for w in floor])} "
                     f"| {cell(total, times)} | {goal(total, GOAL_SERVERS)} |")
    return lines


def breakdown(records):
    lines = ["| state | part | Cadro | floor | Cadro − floor |", "|---|---|---|---|---|"]
    for state, title in STATES:
        cadro, floor = runs_of(records, "cadro", state), runs_of(records, "floor", state)
        for part in PARTS + (CONTROL,):
            keys = (part,)
            lines.append(f"| {title} | {PART_NAMES[part]} | {cell([rate(w, keys) for w in cadro])} "
                         f"| {cell([rate(w, keys) for w in floor])} "
                         f"| {cell(paired(pairs(records, state), keys, lambda a, b: a - b))} |")
    return lines


def control(records):
    """The line under the tables: how far the machine moved between the two sessions of a pair."""
    states = []
    for state, title in STATES:
        values = drift(pairs(records, state))
        states.append(f"{title.lower()} {cell(values, times)} over {len([v for v in values if v is not None])} "
                      f"pair(s)")
    return ("Control, the simulated game's own CPU (all its threads, over the same windows), the floor's "
            "session over Cadro's, pair by pair: " + "; ".join(states) + ". Away from 1× the machine gave the "
            "two sessions of a pair unlike periods, and their ratios above carry that much.")


def notes(records):
    out = []
    for r in records:
        windows = ", ".join(f"{state} {w['seconds']:.0f} s, {w['threads']} threads"
                            + (f", {w['lost']} ended during it" if w["lost"] else "")
                            for state, w in r["windows"].items())
        status = "" if r["ok"] else " NOT COMPLETE;"
        order = f" ({'first' if r['order'] == 1 else 'second'})" if "order" in r else ""
        out.append(f"- {r['program']} run {r['run']}{order}:{status} {windows}. " + "; ".join(r["notes"]) + ".")
    return out


def table(records, window, parallel=False):
    runs = max((r["run"] for r in records), default=0)
    order = ("the two sessions of each run side by side, the runs one after another" if parallel else
             "one after the other, run 1 Cadro first, run 2 the floor first, and so on alternately")
    head = [f"CPU in sessions of their own: Cadro and the floor each with its own Xvfb, Wine prefix and "
            f"wineserver, {order}, {runs} run(s) of each, windows of {window} s in a game "
            f"(300 APM) and between games. Nanoseconds on a CPU per second of wall time (ns/s), from "
            f"/proc/<pid>/task/*/schedstat; each cell is the median of the runs (min–max), ratios are taken "
            f"run by run, each run's Cadro against the same run's floor.", ""]
    return "\n".join(head + comparison(records) + [""] + ["Where it goes, ns/s per part:", ""]
                     + breakdown(records) + ["", control(records), ""] + notes(records)) + "\n"


def main():
    path = sys.argv[1]
    window = sys.argv[sys.argv.index("--window") + 1] if "--window" in sys.argv else "?"
    with open(path) as f:
        records = [json.loads(line) for line in f if line.strip()]
    sys.stdout.write(table(records, window, "--parallel" in sys.argv))
    return 0 if records and all(r["ok"] for r in records) else 1


if __name__ == "__main__":
    sys.exit(main())
