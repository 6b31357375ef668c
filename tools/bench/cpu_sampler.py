"""Times one side of the CPU comparison from outside Wine. Runs the command (cpu_session.exe under Wine,
in a session of its own: WINEPREFIX, and CADRO_XVFB_PID for its display), and at each "mark NAME-begin" /
"mark NAME-end" line it prints reads the kernel's CPU counters of every thread of the program's Wine
process, of the simulated game's (the control) and of the session's wineserver and Xvfb. Appends one JSON
line per session to --out: its run and its place in the run's order, each window's seconds and
nanoseconds per part, and the session's notes.

usage: cpu_sampler.py --program cadro --run N [--order 1|2] --out FILE -- COMMAND..."""

import argparse
import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_stats import CONTROL, delta_ns, schedstat_ns, start_ticks, window_parts  # noqa: E402


def read(path, mode="r"):
    with open(path, mode) as f:
        return f.read()


def session_pids(prefix):
    """(pid, name) of every process of this user that runs with the session's Wine prefix."""
    wanted = b"WINEPREFIX=" + prefix.encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if wanted in read(f"/proc/{entry}/environ", "rb").split(b"\0"):
                yield int(entry), read(f"/proc/{entry}/comm").strip()
        except OSError:
            continue


def threads(pid):
    """Each thread id of pid mapped to (start ticks, ns on CPU); threads that end meanwhile are left out."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            base = f"/proc/{pid}/task/{tid}"
            out[int(tid)] = (start_ticks(read(f"{base}/stat")), schedstat_ns(read(f"{base}/schedstat")))
        except (OSError, ValueError):
            continue
    return out


def process_ns(pid):
    try:
        return sum(ns for _, ns in threads(pid).values()) if pid else None
    except OSError:
        return None


class Sampler:
    def __init__(self, program):
        self.program = program
        self.prefix = os.environ["WINEPREFIX"]
        xvfb = os.environ.get("CADRO_XVFB_PID", "")
        self.xvfb = int(xvfb) if xvfb.isdigit() else None
        self.pid = self.sim = self.wineserver = None

    def find(self):
        for pid, name in session_pids(self.prefix):
            if name == self.program:
                self.pid = pid
            elif name == "sim.exe":
                self.sim = pid
            elif name.startswith("wineserver"):
                self.wineserver = pid

    def sample(self):
        if not self.pid or not self.sim or not self.wineserver:
            self.find()
        return {
            "wall": time.monotonic_ns(),
            "threads": threads(self.pid) if self.pid else {},
            "sim": threads(self.sim) if self.sim else {},
            "servers": {"wineserver": process_ns(self.wineserver), "xvfb": process_ns(self.xvfb)},
        }


def measure(a, b, pid):
    parts, count, lost = window_parts(pid, a["threads"], b["threads"], a["servers"], b["servers"])
    parts[CONTROL] = delta_ns(a["sim"], b["sim"])
    return {"seconds": (b["wall"] - a["wall"]) / 1e9, "parts": parts, "threads": count, "lost": lost}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True, help="cadro or floor")
    parser.add_argument("--run", type=int, default=1)
    parser.add_argument("--order", type=int, default=1, help="1: the run's first session, 2: its second")
    parser.add_argument("--out", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    sampler = Sampler(args.program + ".exe")
    samples, notes, windows = {}, [], {}
    with subprocess.Popen(command, stdout=subprocess.PIPE, text=True, errors="replace") as child:
        for line in child.stdout:
            kind, _, text = line.strip().partition(" ")
            if kind == "mark":
                samples[text] = sampler.sample()
                name, _, edge = text.rpartition("-")
                if edge == "end" and name + "-begin" in samples:
                    windows[name] = measure(samples[name + "-begin"], samples[text], sampler.pid)
            elif kind == "note":
                notes.append(text)
            print(f"{args.program}: {line.strip()}", file=sys.stderr, flush=True)
    ok = child.returncode == 0 and sampler.pid is not None and set(windows) == {"game", "between"}
    if sampler.pid is None:
        notes.append(f"{args.program}.exe was not found among the session's processes")
    if sampler.sim is None:
        notes.append("sim.exe was not found among the session's processes: no control")
    record = {"program": args.program, "run": args.run, "order": args.order, "ok": ok, "windows": windows,
              "notes": notes}
    with open(args.out, "a") as out:
        out.write(json.dumps(record) + "\n")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
