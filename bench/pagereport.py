#!/usr/bin/python3
"""The real-time view page benchmark's tables (bench/run-page-bench.sh), from its runs (one
JSON object a line, each with the scenario's name and the load average before it); with
--readme also written into README.md (section page-bench)."""
import argparse
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402
from benchreport import numbers, spread  # noqa: E402

HIDDEN = {
    "switch": "144 tiles, then the 1-cell layout",
    "maximise": "one tile maximised over 16",
    "page": "page hidden with 16 tiles",
}


def median(runs, *path):
    values = numbers(runs, *path)
    return statistics.median(values) if values else None


def playing_row(runs):
    first = runs[0]
    label = str(first["tiles"]) + (" (key frames)" if first.get("key_frame_mode") else "")
    parts = ", ".join(f"{name} {median(runs, 'cpu_per_drawn_frame', key):.2f}"
                      for name, key in (("render", "render_ms"), ("library", "library_ms"), ("GUI", "gui_ms"),
                                        ("pacing", "pacers_ms")) if median(runs, "cpu_per_drawn_frame", key) is not None)
    return (label,
            spread(numbers(runs, "all_shown_ms"), 0),
            f"{spread(numbers(runs, 'drawn_fps_per_tile'), 2)} / {first.get('expected_fps_per_tile', 0):g}",
            f"{spread(numbers(runs, 'cpu_per_drawn_frame', 'total_ms'), 2)}" + (f"; {parts}" if parts else ""),
            spread(numbers(runs, "ffmpeg_paced", "cpu_ms_per_frame"), 2),
            "**" + spread(numbers(runs, "cpu_ratio_to_ffmpeg"), 1) + "**",
            spread(numbers(runs, "resident_mb_per_tile"), 1),
            spread(numbers(runs, "cpu_percent"), 0),
            spread(numbers(runs, "load_average"), 1))


def hidden_row(name, runs, one_tile_percent):
    percent = spread(numbers(runs, "cpu_percent"), 0)
    share = median(runs, "cpu_percent")
    if one_tile_percent and share is not None:
        percent += f", {share / one_tile_percent:.2f} x one tile"
    hidden = median(runs, "hidden_tiles")
    return (HIDDEN.get(name, name),
            percent,
            f"{spread(numbers(runs, 'hidden_decoded_fps'), 2)} / {spread(numbers(runs, 'hidden_drawn_fps'), 2)}"
            + (f" ({hidden:.0f} hidden)" if hidden is not None else ""),
            spread(numbers(runs, "first_picture_again_median_ms"), 0),
            spread(numbers(runs, "load_average"), 1))


def empty_page_line(runs):
    return (f"The page without streams: made in {spread(numbers(runs, 'construction_ms'), 0, ' ms')} with its "
            f"{runs[0].get('tiles', 144)} empty tiles ({spread(numbers(runs, 'construction_mb'), 1, ' MB')} more "
            f"resident, the interface module's types included), "
            f"{spread(numbers(runs, 'cpu_percent_idle'), 2, ' %')} of a core while idle; one recomputation of "
            f"every layout takes {spread(numbers(runs, 'recalc_layouts_ms'), 2, ' ms')}.")


def tables(by_name):
    out = []
    playing = [runs for runs in by_name.values() if runs[0].get("scenario") == "play" and "hide" not in runs[0]]
    if playing:
        out += ["Tiles playing (CPU per drawn picture by thread kind, against `ffmpeg -re -threads 1` reading the "
                "same RTSP URL in the same run; memory: growth of the resident set per tile):", "",
                benchreport.table(("tiles", "all showing video (ms)", "drawn / expected per tile (fps)",
                                   "CPU per drawn picture (ms)", "ffmpeg per picture (ms)", "ratio", "MB per tile",
                                   "process CPU %", "load before"),
                                  [playing_row(runs) for runs in playing]), ""]
    one_tile = by_name.get("1")
    one_tile_percent = median(one_tile, "cpu_percent") if one_tile else None
    hidden = [(name, runs) for name, runs in by_name.items() if "hide" in runs[0]]
    if hidden:
        out += ["Tiles taken out of sight while they play (process CPU also as a multiple of the 1-tile scenario "
                "of the same run; goal for the switch to one cell: at most 1.3 x):", "",
                benchreport.table(("scenario", "process CPU %", "hidden tiles decode / draw (pictures per s)",
                                   "first picture when shown again (ms, median of the tiles)", "load before"),
                                  [hidden_row(name, runs, one_tile_percent) for name, runs in hidden]), ""]
    if "empty" in by_name:
        out.append(empty_page_line(by_name["empty"]))
    return "\n".join(out).strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--seconds", type=float, required=True)
    parser.add_argument("--load-after", type=float, required=True)
    parser.add_argument("--shortened", default="")
    parser.add_argument("--readme", action="store_true")
    parser.add_argument("runs")
    options = parser.parse_args()
    by_name = {}
    for run in benchreport.read_runs(options.runs):
        by_name.setdefault(run["name"], []).append(run)
    if not by_name:
        print("no scenario gave figures", file=sys.stderr)
        return 1
    counts = sorted({len(runs) for runs in by_name.values()})
    loads = [run["load_average"] for runs in by_name.values() for run in runs]
    header = benchreport.header(options.root, max(counts), loads, options.load_after,
                                settings=f"{options.seconds:g} s of measuring per scenario, the page at 1688x904 "
                                         "under Xvfb, OpenGL on llvmpipe",
                                shortened=options.shortened)
    text = header + "\n\n" + tables(by_name)
    benchreport.publish(options.root, "page-bench", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
