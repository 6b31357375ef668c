"""The arithmetic of the CPU comparison: reading the kernel's per-thread schedstat, turning two samples
into a window's nanoseconds per part (the program's main thread, its hook thread, its other threads, the
session's wineserver and Xvfb), and the spread of several runs. No I/O beyond the text handed in."""

from statistics import median

PARTS = ("main", "hook", "others", "wineserver", "xvfb")
OWN = ("main", "hook", "others")


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
        delta = ns - before.get(tid, (0, 0))[1]
        part = "main" if tid == pid else "hook" if tid == hook else "others"
        parts[part] += delta
    for name in ("wineserver", "xvfb"):
        a, b = servers_before.get(name), servers_after.get(name)
        parts[name] = b - a if a is not None and b is not None else None
    lost = sum(1 for tid in before if tid not in after)
    return parts, len(after), lost


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


def paired(cadro, floor, keys, combine):
    """combine(Cadro's rate, the floor's rate) for each pair of runs taken in turn, skipping pairs with
    a side not measured."""
    out = []
    for c, f in zip(cadro, floor):
        a, b = rate(c, keys), rate(f, keys)
        if a is not None and b is not None:
            out.append(combine(a, b))
    return out


def ratio(a, b):
    return a / b if b else None
