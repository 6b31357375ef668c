"""The arithmetic of the CPU comparison: reading the kernel's per-thread schedstat, turning two samples
into a window's nanoseconds per part (the program's main thread, its hook thread, its other threads, the
session's wineserver and Xvfb, and the control: the simulated game's own threads), Cadro's and the
floor's windows paired by run, and the spread of several runs. No I/O beyond the text handed in."""

from statistics import median

PARTS = ("main", "hook", "others", "wineserver", "xvfb")
OWN = ("main", "hook", "others")
# The simulated game does the same in both sessions, so its CPU moves only with the machine.
CONTROL = "sim"


def schedstat_ns(text):
    """Nanoseconds on CPU: the first field of /proc/<pid>/task/<tid>/schedstat."""
    fields = text.split()
    if not fields:
        raise ValueError("empty schedstat")
    return int(fields[0])


def start_ticks(stat_text):
    """A thread's start time in clock ticks after boot: field 22 of its stat line. The name (field 2) may
    hold spaces and parentheses, so the fields are counted after its closing parenthesis."""
    rest = stat_text[stat_text.rindex(")") + 2:].split()
    return int(rest[22 - 3])


def window_parts(pid, before, after, servers_before, servers_after):
    """A window's nanoseconds per part. before/after map each of the program's thread ids to (start ticks,
    ns on CPU); servers_* map "wineserver" and "xvfb" to their ns (None: not found). The main thread is
    the one whose id is the process's; the hook thread is the program's next thread to start (the only
    one Cadro and the floor start themselves); a thread born during the window counts from zero, and one
    gone by its end is lost to the sum (its count is returned)."""
    parts = dict.fromkeys(PARTS, 0)
    others = sorted((start, tid) for tid, (start, _) in after.items() if tid != pid)
    hook = others[0][1] if others else None
    for tid, (_, ns) in after.items():
        part = "main" if tid == pid else "hook" if tid == hook else "others"
        parts[part] += ns - before.get(tid, (0, 0))[1]
    for name in ("wineserver", "xvfb"):
        a, b = servers_before.get(name), servers_after.get(name)
        parts[name] = b - a if a is not None and b is not None else None
    lost = sum(1 for tid in before if tid not in after)
    return parts, len(after), lost


def delta_ns(before, after):
    """The nanoseconds all of a process's threads ran between two samples (thread id to (start ticks, ns),
    a thread born meanwhile counting from zero), or None when the process was not found at the end."""
    if not after:
        return None
    return sum(ns - before.get(tid, (0, 0))[1] for tid, (_, ns) in after.items())


def spread(values):
    """(median, min, max) of the values, or None for none."""
    values = [v for v in values if v is not None]
    if not values:
        return None
    return median(values), min(values), max(values)


def rate(window, keys):
    """ns per second of wall time over the parts named, or None when one of them was not measured."""
    total = 0
    for key in keys:
        if window["parts"].get(key) is None:
            return None
        total += window["parts"][key]
    return total / window["seconds"]


def pairs(records, state):
    """(Cadro's window, the floor's window) in the state for each run that has both, in the order of the
    runs: the two sides of a pair share a run number, whatever order their records came in."""
    runs = {}
    for r in records:
        if state in r["windows"]:
            runs.setdefault(r["run"], {})[r["program"]] = r["windows"][state]
    return [(sides["cadro"], sides["floor"]) for _, sides in sorted(runs.items())
            if "cadro" in sides and "floor" in sides]


def paired(windows, keys, combine):
    """combine(Cadro's rate, the floor's rate) for each pair, skipping pairs with a side not measured."""
    out = []
    for c, f in windows:
        a, b = rate(c, keys), rate(f, keys)
        if a is not None and b is not None:
            out.append(combine(a, b))
    return out


def drift(windows):
    """The control per pair: the simulated game's CPU in the floor's session over that in Cadro's."""
    return paired(windows, (CONTROL,), lambda c, f: ratio(f, c))


def ratio(a, b):
    return a / b if b else None
