#!/usr/bin/python3
"""The map pin benchmark's table (bench/run-map-bench.sh), from zelka_mappins_bench's runs;
with --readme also written into README.md (section map-bench).
Arguments after the options: pairs of a version's name and its file of runs."""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402

FULL_SITE = "200 x 50 + 1000"
ROWS = [
    ("pins placed by the click", ("pins",), 0, ""),
    ("click: its handler on the GUI thread (wall clock)", ("place_pins", "handler_ms"), 1, " ms"),
    ("click: its handler, GUI-thread CPU", ("place_pins", "handler_gui_cpu_ms"), 1, " ms"),
    ("click: longest gap between frames (goal at most 200 ms)", ("place_pins", "longest_frame_gap_ms"), 1, " ms"),
    ("idle gap between frames", ("idle_frame_gap_ms",), 1, " ms"),
    ("memory added by the click", ("placed_mb",), 1, " MB"),
    ("tiles held by closed pins (goal 0)", ("tiles_of_closed_pins",), 0, ""),
    ("opening one pin: longest gap between frames", ("open_pin_longest_frame_gap_ms",), 1, " ms"),
    ("tiles held by closed pins after one was opened and closed (goal 0)",
     ("tiles_of_closed_pins_after_open_close",), 0, ""),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--site", required=True)
    parser.add_argument("--load-after", type=float, required=True)
    parser.add_argument("--readme", action="store_true")
    parser.add_argument("versions", nargs="+")
    options = parser.parse_args()
    pairs = list(zip(options.versions[0::2], options.versions[1::2]))
    columns = [(name, benchreport.read_runs(path)) for name, path in pairs]
    loads = [run.get("load_before") for _, runs in columns for run in runs]
    counts = {len(runs) for _, runs in columns}
    shortened = []
    if options.site != FULL_SITE:
        shortened.append(f"site {options.site}")
    if counts != {3}:
        shortened.append("runs: " + ", ".join(str(len(runs)) for _, runs in columns))
    header = benchreport.header(options.root, max(counts), loads, options.load_after,
                                settings=f"site of {options.site} located channels, OpenGL on llvmpipe under Xvfb",
                                shortened="; ".join(shortened))
    rows = [[label] + [benchreport.spread(benchreport.numbers(runs, *path), digits, unit) for _, runs in columns]
            for label, path, digits, unit in ROWS]
    text = header + "\n\n" + benchreport.table(["figure"] + [name for name, _ in columns], rows)
    benchreport.publish(options.root, "map-bench", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
