#!/usr/bin/python3
"""The carousel soak's table (bench/run-carousel-soak.sh), from its samples (one JSON object
a line: t seconds since the login, rss_mb, threads, streams, rtsp_ends) and glibc's
malloc_info at the end; with --readme also written into README.md (section carousel-soak).
A run whose RTSP server ended gives no row."""
import argparse
import datetime
import json
import math
import os
import statistics
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402

MB = 1024 * 1024
# The slope is taken from here on: the first half hour is left for the start, the caches and
# the allocator's arenas to settle.
SLOPE_FROM_S = 1800


def at(samples, seconds):
    """The median resident set of the samples within a minute of SECONDS: one sample lands
    anywhere between a tick's opening of streams and its closing of the old ones, which
    moves the figure by about 10 MB either way."""
    near = [s["rss_mb"] for s in samples if abs(s["t"] - seconds) <= 60]
    return statistics.median(near) if near else None


def minute_medians(samples, since):
    """(hours, MB) for every whole minute from SINCE seconds on: the median of the minute's
    samples, at the minute's middle. Within a tick the resident set swings by tens of MB as
    streams close and open; a minute's median is the level the wall runs at."""
    minutes = {}
    for s in samples:
        if s["t"] >= since:
            minutes.setdefault(s["t"] // 60, []).append(s["rss_mb"])
    return [((minute + 0.5) / 60, statistics.median(values)) for minute, values in sorted(minutes.items())]


def fit(samples, since):
    """The least-squares line through the minutes' medians from SINCE seconds on, in hours:
    (slope in MB an hour, its standard error, the residuals' standard deviation in MB), or
    None with fewer than three minutes."""
    points = minute_medians(samples, since)
    if len(points) < 3:
        return None
    mean_t = statistics.mean(t for t, _ in points)
    mean_mb = statistics.mean(mb for _, mb in points)
    sxx = sum((t - mean_t) ** 2 for t, _ in points)
    slope = sum((t - mean_t) * (mb - mean_mb) for t, mb in points) / sxx
    residuals = [mb - (mean_mb + slope * (t - mean_t)) for t, mb in points]
    variance = sum(r * r for r in residuals) / (len(points) - 2)
    return slope, math.sqrt(variance / sxx), math.sqrt(variance)


def heap_summary(path):
    """What malloc_info's XML at PATH says of the heaps: the arenas, the memory they hold
    from the system and how much of it is free, the mapped blocks, and the size ranges that
    hold the most free memory. None when there is no such file."""
    if not path or not os.path.exists(path):
        return None
    try:
        root = ElementTree.parse(path).getroot()
    except ElementTree.ParseError:
        return None
    free_by_size = {}
    heaps = root.findall("heap")
    for heap in heaps:
        for size in heap.iter("size"):
            key = (int(size.get("from")), int(size.get("to")))
            free_by_size[key] = free_by_size.get(key, 0) + int(size.get("total"))

    def total(node, kind, field="size"):
        found = node.find(f"total[@type='{kind}']")
        return int(found.get(field)) if found is not None else 0

    def system(node):
        found = node.find("system[@type='current']")
        return int(found.get("size")) if found is not None else 0

    largest = max(heaps, key=lambda heap: total(heap, "fast") + total(heap, "rest"), default=None)
    return {
        "arenas": len(heaps),
        "system": system(root),
        "free": total(root, "fast") + total(root, "rest"),
        "mapped": total(root, "mmap"),
        "mapped_count": total(root, "mmap", "count"),
        "largest_heap_free": total(largest, "fast") + total(largest, "rest") if largest is not None else 0,
        "top_sizes": sorted(free_by_size.items(), key=lambda item: -item[1])[:3],
    }


def mb(value):
    return f"{value:.0f} MB" if value is not None else "–"


def size_range(low, high):
    def text(n):
        return f"{n / 1024:.0f} KB" if n >= 1024 else f"{n} B"
    return text(low) if low == high else f"{text(low)}–{text(high)}"


def heap_text(heaps):
    if heaps is None:
        return "The heaps at the end of the first row's run (glibc's `malloc_info`) could not be read."
    tops = ", ".join(f"{size_range(low, high)}: {total / MB:.1f} MB" for (low, high), total in heaps["top_sizes"])
    return (f"The heaps at the end of the first row's run (glibc's `malloc_info`): {heaps['arenas']} arenas holding "
            f"{heaps['system'] / MB:.0f} MB from the system, of which {heaps['free'] / MB:.1f} MB free "
            f"(at most {heaps['largest_heap_free'] / MB:.1f} MB in one arena; the free size ranges that hold "
            f"most: {tops}), besides {heaps['mapped_count']} blocks mapped on their own, "
            f"{heaps['mapped'] / MB:.0f} MB.")


def heap_cell(heaps):
    if heaps is None:
        return "–"
    return (f"{heaps['arenas']} arenas, {heaps['system'] / MB:.0f} MB, {heaps['free'] / MB:.0f} MB of it free; "
            f"{heaps['mapped'] / MB:.0f} MB mapped")


class ServerEnded(Exception):
    pass


def check_server(samples, label):
    """A run whose RTSP server ended (samples before this field had none) measured a wall that
    played nothing until its tiles reconnected, while its requests for stream addresses went
    on: no figure of it may stand in a table."""
    ended = next((s for s in samples if s.get("rtsp_ends", 0) > 0), None)
    if ended is not None:
        raise ServerEnded(f"{label}: the RTSP test server ended during the run (first seen {ended['t']} s after "
                          f"the login; ends: {samples[-1].get('rtsp_ends', 0)}); no figures from it")


def row(label, samples, commit, load_before, load_after, heaps, date=None):
    """One run's row: its levels, its growth and slope, its heaps at the end."""
    check_server(samples, label)
    login, ten, thirty, end = samples[0]["rss_mb"], at(samples, 600), at(samples, 1800), samples[-1]
    growth = f"{thirty - ten:+.1f} MB" if ten is not None and thirty is not None else "–"
    line = fit(samples, SLOPE_FROM_S)
    if line is not None:
        slope, error, residual = line
        slope_text = f"**{slope:+.1f} MB ± {error:.1f}** (residuals ±{residual:.1f} MB)"
        week_text = f"{slope * 24 * 7:+.0f} MB"
    else:
        slope_text = week_text = "–"
    return (date or datetime.date.today().isoformat(), label, commit, f"{load_before:.1f} / {load_after:.1f}",
            mb(login), mb(ten), mb(thirty), f"{mb(at(samples, end['t']))} ({end['t'] / 60:.0f} min)", growth,
            slope_text, week_text, str(end["streams"]), heap_cell(heaps))


def compared_row(folder):
    """The row of another soak kept with --out in FOLDER (run.json, samples.jsonl and
    malloc-info-end.xml), to stand beside this one."""
    with open(os.path.join(folder, "run.json"), encoding="utf-8") as f:
        run = json.load(f)
    samples = benchreport.read_runs(os.path.join(folder, "samples.jsonl"))
    return row(run["label"], samples, run["commit"], run["load_before"], run["load_after"],
               heap_summary(os.path.join(folder, "malloc-info-end.xml")), run.get("date"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--interval", type=int, required=True)
    parser.add_argument("--wall", default="six channels on the home page's 2x2 wall")
    parser.add_argument("--label", default="", help="what the run's row is called")
    parser.add_argument("--allocator", default="client", choices=("client", "glibc"))
    parser.add_argument("--malloc-info", help="malloc_info's XML of the client at the end")
    parser.add_argument("--compare", action="append", default=[],
                        help="the --out folder of another soak, whose row goes under this one's")
    parser.add_argument("--load-before", type=float, required=True)
    parser.add_argument("--load-after", type=float, required=True)
    parser.add_argument("--shortened", default="")
    parser.add_argument("--commit")
    parser.add_argument("--readme", action="store_true")
    parser.add_argument("samples")
    options = parser.parse_args()
    samples = benchreport.read_runs(options.samples)
    if not samples:
        print("no samples", file=sys.stderr)
        return 1
    commit = options.commit or benchreport.revision(options.root)
    allocator = ("the client's allocator setting" if options.allocator == "client"
                 else "glibc's own allocator setting")
    header = benchreport.header(options.root, 1, [options.load_before], options.load_after,
                                settings=f"{options.wall}, a tick every {options.interval} s, {allocator}, "
                                         "640x360 RTSP, OpenGL on llvmpipe under Xvfb",
                                shortened=options.shortened, commit=commit)
    heaps = heap_summary(options.malloc_info)
    try:
        rows = [row(options.label or "this run", samples, commit, options.load_before, options.load_after, heaps)]
        rows += [compared_row(folder) for folder in options.compare]
    except ServerEnded as ended:
        print(ended, file=sys.stderr)
        return 1
    text = (header + "\n\n"
            + "Resident memory of the client, sampled every 5 s (goal: a slope of at most 5 MB an hour from "
              "minute 30 on, a least-squares line through each minute's median, ± its standard error; at 10 "
              "and 30 minutes the median of the samples within a minute; a week at the slope's rate; the "
              "heaps at the end as glibc's `malloc_info` counts them: arenas, the memory they hold and how "
              "much of it is free, and the blocks mapped on their own)"
            + (", the first row this run, the others runs beside it for comparison" if options.compare else "")
            + ":\n\n"
            + benchreport.table(("date", "run", "commit", "load before / after", "at the login", "10 min", "30 min",
                                 "end", "growth, minutes 10–30", "slope from minute 30, an hour",
                                 "a week at that rate", "streams opened", "heaps at the end"),
                                rows)
            + "\n\n" + heap_text(heaps))
    benchreport.publish(options.root, "carousel-soak", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
