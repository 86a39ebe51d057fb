#!/usr/bin/python3
"""The device tree benchmark's table (bench/run-tree-bench.sh); with --readme also written into
README.md (section tree-bench).

The rows come from the benchmark's JSON, not from a list here: every number in it is a row,
under its case (the object it sits in), so a case the benchmark gains shows up without a
change to this file; the names below only make known figures read better. A list of objects
that carry a "name" (or "case") is a list of cases too. Columns: one per kind of run (with
the trees, and the device list alone)."""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402
from benchreport import is_number, spread  # noqa: E402

# Not figures: what the run was, or said already in the header.
SKIPPED = {"trees", "devices", "load_average", "runs", "worst_frames"}

CASES = {
    "load_stall": "first load of the device list",
    "rows_after_load": "after the list loads",
    "": "memory growth",
    "refresh_stall": "a refresh (the middle of three)",
    "open_device": "opening a device (the middle of three)",
    "scroll_all_open": "every device open, scrolled 40 px a frame",
    "refresh_stall_all_open": "a refresh with every device open",
    "large_device": "a device of 2,000 channels, one showing its sub-channels (goals: opening at most 100 ms of GUI thread, rows at most what shows with its margin, no scroll gap over 50 ms)",
    "large_group": "a group of 2,000 channels (the same goals)",
}

FIGURES = {
    "wall_ms": "longest GUI stall (ms)",
    "gui_cpu_ms": "most GUI-thread CPU between two 2 ms ticks (ms)",
    "rows": "rows made",
    "items": "items in the window",
    "loaded_mb": "after the load (MB)",
    "refreshed_mb": "after three refreshes (MB)",
    "final_mb": "at the end (MB)",
    "first_frame_ms": "first frame (ms)",
    "longest_stall_ms": "longest GUI stall (ms)",
    "longest_stall_gui_cpu_ms": "most GUI-thread CPU between two 2 ms ticks (ms)",
    "rows_after": "after it",
    "open_all_call_ms": "opening every device, the call (ms)",
    "open_all_stall_ms": "opening every device, longest GUI stall (ms)",
    "content_height": "content height (px)",
    "frames": "frames",
    "median_gap_ms": "median gap between frames (ms)",
    "longest_gap_ms": "longest gap between frames (ms)",
    "longest_gap_gui_cpu_ms": "most GUI-thread CPU between two frames (ms)",
    "rows_while_scrolling": "while scrolling",
    "open_stall": "opening it",
    "rows_shown_with_margin": "rows the view shows with its margin",
    "rows_after_open": "made after opening",
    "rows_in_the_middle": "made in the middle",
    "rows_at_the_end": "made at the end",
    "row_height_px": "its rows' height (px)",
    "scroll_through": "scrolled through",
    "sub_channels_open": "sub-channels shown",
    "lists": "lists made",
}


def label(key, names):
    if key in names:
        return names[key]
    for suffix, unit in (("_ms", "ms"), ("_mb", "MB")):
        if key.endswith(suffix):
            return key[: -len(suffix)].replace("_", " ") + f" ({unit})"
    return key.replace("_", " ")


def figures(value, path=()):
    """(path, value) for every number in VALUE, in the JSON's order."""
    if isinstance(value, dict):
        for key, inner in value.items():
            if key not in SKIPPED:
                yield from figures(inner, path + (key,))
    elif isinstance(value, list):
        # Named objects in a list are cases of their own, in the list's place.
        for inner in value:
            if isinstance(inner, dict) and ("name" in inner or "case" in inner):
                name = str(inner.get("name", inner.get("case")))
                yield from figures({k: v for k, v in inner.items() if k not in ("name", "case")}, path[:-1] + (name,))
    elif is_number(value):
        yield path, value


def case_of(path):
    """The case is the object a number sits in at the top; a number at the top is the run's."""
    return "" if len(path) == 1 else path[0]


def figure_of(path):
    return ": ".join(label(key, FIGURES) for key in path[1:] or path)


def collect(runs):
    """{path: [values over the runs]}, in the order the paths first appear."""
    values = {}
    for run in runs:
        for path, value in figures(run):
            values.setdefault(path, []).append(value)
    return values


def rank(key, names):
    """Known names in the order above (the benchmark's JSON comes with its keys sorted), the
    others after them in the order they came."""
    order = list(names)
    return order.index(key) if key in names else len(order)


def rows(kinds):
    paths = []
    for values in kinds.values():
        paths += [path for path in values if path not in paths]
    paths.sort(key=lambda path: [rank(case_of(path), CASES)] + [rank(key, FIGURES) for key in path[1:] or path])
    cases = []
    for path in paths:
        if case_of(path) not in cases:
            cases.append(case_of(path))
    out = []
    for case in cases:
        for number, path in enumerate(path for path in paths if case_of(path) == case):
            cells = []
            for values in kinds.values():
                found = [v for v in values.get(path, []) if v >= 0]
                cells.append(spread(found, 0 if all(float(v).is_integer() for v in found) else 1))
            out.append((label(case, CASES) if number == 0 else "", figure_of(path), *cells))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--site", required=True, help="what the server served, for the header")
    parser.add_argument("--load-after", type=float, required=True)
    parser.add_argument("--shortened", default="")
    parser.add_argument("--readme", action="store_true")
    parser.add_argument("runs", nargs="+", help="KIND=FILE: the runs of one kind (a column)")
    options = parser.parse_args()
    kinds, loads, counts = {}, [], []
    for argument in options.runs:
        kind, path = argument.split("=", 1)
        runs = benchreport.read_runs(path)
        if runs:
            kinds[kind] = collect(runs)
            loads += [run["load_average"] for run in runs if "load_average" in run]
            counts.append(len(runs))
    if not kinds:
        print("no run gave figures", file=sys.stderr)
        return 1
    header = benchreport.header(options.root, max(counts), loads, options.load_after, settings=options.site,
                                shortened=options.shortened)
    text = header + "\n\n" + benchreport.table(("case", "figure", *kinds), rows(kinds))
    benchreport.publish(options.root, "tree-bench", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
