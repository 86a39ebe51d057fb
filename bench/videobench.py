#!/usr/bin/python3
"""Runs the video item benchmark three times and reports medians with their spread.

Each scenario runs in a process of its own (zelka_video_bench under Xvfb); the
baselines (ffmpeg decoding the same files in batch and at the stream's pace, the
player library alone) are measured in every run beside the items. The machine's
1-minute load average is read before every scenario and printed beside the
figures; when it is above the number of cores the figures are not comparable and
nothing is reported (BENCH_ALLOW_LOAD=1 reports them anyway, marked as taken above
the load limit, in the README too).
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402
from benchreport import CORES, load_average  # noqa: E402

SETTLE_SECONDS = 120

GOALS = {
    "memory_mb_1080": 40.0,
    "memory_mb_360": 8.0,
    "cpu_ratio_paced": 1.15,
    "library_ratio_batch": 1.05,
    "idle_percent": 1.0,
    "pacing_percent": 1.0,
    "gui_gap_ms": 50,
    "threads_gone_ms": 2000,
}


class Refused(Exception):
    pass


def busy_jiffies():
    with open("/proc/stat") as f:
        fields = [int(v) for v in f.readline().split()[1:]]
    idle = fields[3] + fields[4]
    return sum(fields[:8]) - idle


def scenarios(seconds):
    grid = lambda n, h: ["grid", "--items", str(n), "--height", str(h), "--seconds", str(seconds)]
    base = seconds + 8
    return [
        ("decode", ["decode", "--height", "1080", "--seconds", str(base)]),
        ("decode", ["decode", "--height", "1080", "--seconds", str(base), "--paced"]),
        ("decode", ["decode", "--height", "360", "--seconds", str(base)]),
        ("decode", ["decode", "--height", "360", "--seconds", str(base), "--paced"]),
        ("library", ["library", "--height", "1080", "--seconds", str(base)]),
        ("library", ["library", "--height", "360", "--seconds", str(base)]),
        ("display", grid(1, 1080)),
        ("display", grid(4, 1080)),
        ("display", grid(16, 1080)),
        ("display", grid(36, 360)),
        ("display", grid(144, 360)),
        ("display", ["close", "--items", "144", "--source", "live"]),
        ("display", ["close", "--items", "144", "--source", "stalled"]),
        ("display", ["close", "--items", "144", "--source", "stuck"]),
        ("display", ["idle", "--items", "144", "--seconds", "10"]),
        ("display", ["pacing", "--seconds", "20"]),
    ]


def settled_load(allow_load):
    """The 1-minute load average once our own last scenario's share has decayed.

    A heavy scenario (144 tiles) raises the average by itself; it falls by a third in
    25 s, so the next scenario waits for it up to SETTLE_SECONDS before judging the
    machine."""
    deadline = time.monotonic() + SETTLE_SECONDS
    load = load_average()
    while load > CORES and not allow_load and time.monotonic() < deadline:
        time.sleep(5)
        load = load_average()
    return load


def run_one(bench, kind, arguments, allow_load):
    load = settled_load(allow_load)
    if load > CORES and not allow_load:
        raise Refused(f"load average {load:.2f} above {CORES} cores before '{' '.join(arguments)}'")
    command = [bench] + arguments
    if kind == "display":
        command = ["xvfb-run", "-a", "-s", "-screen 0 1600x900x24"] + command
    environment = dict(os.environ, QSG_RENDER_LOOP="threaded")
    busy_before, started = busy_jiffies(), time.monotonic()
    usage_before = os.times()
    done = subprocess.run(command, capture_output=True, text=True, env=environment)
    usage_after = os.times()
    elapsed = time.monotonic() - started
    own = (usage_after.children_user + usage_after.children_system
           - usage_before.children_user - usage_before.children_system)
    others = (busy_jiffies() - busy_before) / os.sysconf("SC_CLK_TCK") - own
    lines = [line for line in done.stdout.splitlines() if line.startswith("{")]
    if done.returncode != 0 or not lines:
        return {"mode": arguments[0], "failed": True, "arguments": arguments}
    result = json.loads(lines[-1])
    result["load_average"] = round(load, 2)
    result["other_busy_cores"] = round(max(0.0, others / elapsed), 2)
    result["arguments"] = arguments
    return result


def key_of(result):
    mode = result["mode"]
    if mode == "decode":
        return ("decode", result.get("height"), result.get("paced"))
    if mode == "library":
        return ("library", result.get("height"))
    if mode == "grid":
        return ("grid", result.get("items"), result.get("height"))
    if mode == "close":
        return ("close", result.get("source"))
    return (mode,)


def with_ratios(run):
    """Adds the CPU ratios of each grid to the baselines of the same run."""
    decode = {(r["height"], r["paced"]): r["cpu_ms_per_frame"] for r in run if r["mode"] == "decode" and "height" in r}
    for r in run:
        if r["mode"] == "grid" and r.get("cpu_ms_per_frame_without_render", -1) > 0:
            for paced, name in ((True, "ratio_paced"), (False, "ratio_batch")):
                base = decode.get((r["height"], paced))
                if base:
                    r[name] = round(r["cpu_ms_per_frame_without_render"] / base, 3)
        if r["mode"] == "library" and "height" in r:
            base = decode.get((r["height"], False))
            if base:
                r["ratio_batch"] = round(r["cpu_ms_per_frame"] / base, 3)
    return run


def summarize(runs):
    """Median, minimum and maximum of every number, per scenario, over the runs."""
    grouped = {}
    for run in runs:
        for result in run:
            grouped.setdefault(key_of(result), []).append(result)
    summary = {}
    for key, results in grouped.items():
        numbers = {}
        for result in results:
            for name, value in result.items():
                if isinstance(value, (int, float)) and not isinstance(value, bool):
                    numbers.setdefault(name, []).append(value)
        summary[key] = {name: {"median": statistics.median(values), "min": min(values), "max": max(values),
                               "runs": len(values)} for name, values in numbers.items()}
        summary[key]["_failed"] = sum(1 for r in results if r.get("failed"))
    return summary


def figure(summary, key, name, digits=2, unit=""):
    entry = summary.get(key, {}).get(name)
    if not entry:
        return "–"
    fmt = f"{{:.{digits}f}}"
    text = fmt.format(entry["median"]) + unit
    if entry["runs"] > 1 and entry["min"] != entry["max"]:
        text += f" ({fmt.format(entry['min'])}–{fmt.format(entry['max'])})"
    return text


def value(summary, key, name):
    entry = summary.get(key, {}).get(name)
    return entry["median"] if entry else None


def check(ok):
    return "yes" if ok else "no"


def tables(summary, header):
    out = [header, ""]
    out.append("Baselines, CPU per frame (the same files, every run):")
    out.append("")
    out.append("| stream | ffmpeg batch | ffmpeg paced (`-re`) | paced / batch | player library alone "
               "(ratio to batch; goal at most %.2f) |" % GOALS["library_ratio_batch"])
    out.append("|---|---|---|---|---|")
    for height in (1080, 360):
        batch = value(summary, ("decode", height, False), "cpu_ms_per_frame")
        paced = value(summary, ("decode", height, True), "cpu_ms_per_frame")
        ratio = f"{paced / batch:.2f}" if batch and paced else "–"
        library = figure(summary, ("library", height), "cpu_ms_per_frame", 3, " ms")
        out.append(f"| {height}p25 | {figure(summary, ('decode', height, False), 'cpu_ms_per_frame', 3, ' ms')} "
                   f"| {figure(summary, ('decode', height, True), 'cpu_ms_per_frame', 3, ' ms')} | {ratio} "
                   f"| {library}, {figure(summary, ('library', height), 'ratio_batch', 3)} |")
    out.append("")
    out.append("Items playing a file (CPU per drawn frame without the render threads; goal: at most "
               "%.2f x paced ffmpeg; memory goal: %g MB per item at 1080p, %g MB at 360p):"
               % (GOALS["cpu_ratio_paced"], GOALS["memory_mb_1080"], GOALS["memory_mb_360"]))
    out.append("")
    out.append("| items, stream | received / drawn / expected frames per s | CPU per frame w/o render "
               "| ratio to paced ffmpeg | ratio to batch | render CPU per frame | memory per item | load |")
    out.append("|---|---|---|---|---|---|---|---|")
    for items, height in ((1, 1080), (4, 1080), (16, 1080), (36, 360), (144, 360)):
        key = ("grid", items, height)
        if key not in summary:
            continue
        out.append(
            f"| {items}, {height}p25 | {figure(summary, key, 'frames_received_per_second', 1)} / "
            f"{figure(summary, key, 'frames_drawn_per_second', 1)} / "
            f"{value(summary, key, 'frames_expected_per_second'):.0f} "
            f"| {figure(summary, key, 'cpu_ms_per_frame_without_render', 3, ' ms')} "
            f"| {figure(summary, key, 'ratio_paced')} | {figure(summary, key, 'ratio_batch')} "
            f"| {figure(summary, key, 'render_cpu_ms_per_frame', 2, ' ms')} "
            f"| {figure(summary, key, 'rss_mb_per_item', 1, ' MB')} "
            f"| {figure(summary, key, 'load_average', 1)} |")
    out.append("")
    out.append("Deleting 144 tiles at once while an animation runs (goal: no GUI stall above %d ms; "
               "library threads gone within %d ms against a stalled server):"
               % (GOALS["gui_gap_ms"], GOALS["threads_gone_ms"]))
    out.append("")
    out.append("| tiles | deletion on the GUI thread | longest GUI gap (before deletion) "
               "| library threads gone after | load |")
    out.append("|---|---|---|---|---|")
    names = {"live": "live RTSP", "stalled": "stalled RTSP server",
             "stuck": "reader stuck in a call that cannot be cut short (gone counted from the call's return)"}
    for source in ("live", "stalled", "stuck"):
        key = ("close", source)
        if key not in summary:
            continue
        out.append(f"| {names[source]} | {figure(summary, key, 'deletion_ms', 0, ' ms')} "
                   f"| {figure(summary, key, 'longest_gui_gap_ms', 0, ' ms')} "
                   f"({figure(summary, key, 'longest_gui_gap_ms_before', 0, ' ms')}) "
                   f"| {figure(summary, key, 'threads_gone_ms', 0, ' ms')} "
                   f"| {figure(summary, key, 'load_average', 1)} |")
    out.append("")
    idle = figure(summary, ("idle",), "cpu_percent_of_one_core", 2, " %")
    out.append(f"- 144 idle items (no stream): {idle} of one core (goal below {GOALS['idle_percent']:g} %).")
    pacing = ("pacing",)
    out.append(f"- Pacing, one 20 s 25 fps file: {figure(summary, pacing, 'frames_drawn', 0)} of "
               f"{figure(summary, pacing, 'frames_expected', 0)} frames drawn "
               f"({figure(summary, pacing, 'frame_error_percent', 2, ' %')}), first to last picture "
               f"{figure(summary, pacing, 'seconds_first_to_end', 2, ' s')} "
               f"({figure(summary, pacing, 'time_error_percent', 2, ' %')}; goal within ±{GOALS['pacing_percent']:g} %).")
    return "\n".join(out)


def goals_met(summary):
    checks = {}
    m1080 = value(summary, ("grid", 16, 1080), "rss_mb_per_item")
    m360 = value(summary, ("grid", 144, 360), "rss_mb_per_item")
    checks["memory"] = m1080 is not None and m360 is not None and m1080 <= GOALS["memory_mb_1080"] \
        and m360 <= GOALS["memory_mb_360"]
    ratios = [value(summary, key, "ratio_paced") for key in (("grid", 1, 1080), ("grid", 16, 1080), ("grid", 144, 360))]
    checks["cpu"] = all(r is not None and r <= GOALS["cpu_ratio_paced"] for r in ratios)
    library = value(summary, ("library", 1080), "ratio_batch")
    checks["library"] = library is not None and library <= GOALS["library_ratio_batch"]
    idle = value(summary, ("idle",), "cpu_percent_of_one_core")
    pacing = value(summary, ("pacing",), "time_error_percent")
    checks["idle_and_pacing"] = idle is not None and idle < GOALS["idle_percent"] and pacing is not None \
        and abs(pacing) <= GOALS["pacing_percent"]
    gaps = [value(summary, ("close", s), "longest_gui_gap_ms") for s in ("live", "stalled")]
    gone = value(summary, ("close", "stalled"), "threads_gone_ms")
    checks["closing"] = all(g is not None and g <= GOALS["gui_gap_ms"] for g in gaps) and gone is not None \
        and gone <= GOALS["threads_gone_ms"]
    return checks


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bench", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=int, default=6)
    parser.add_argument("--only", default="", help="run only scenarios whose arguments contain this text")
    parser.add_argument("--readme", action="store_true", help="write the tables into README.md")
    options = parser.parse_args()
    allow_load = os.environ.get("BENCH_ALLOW_LOAD") == "1"

    runs = []
    try:
        for number in range(options.runs):
            run = []
            for kind, arguments in scenarios(options.seconds):
                if options.only and options.only not in " ".join(arguments):
                    continue
                result = run_one(options.bench, kind, arguments, allow_load)
                result["run"] = number + 1
                print(json.dumps(result), file=sys.stderr, flush=True)
                run.append(result)
            runs.append(with_ratios(run))
    except Refused as refusal:
        print(f"Not reporting: {refusal}. Run again on a quieter machine "
              f"(or BENCH_ALLOW_LOAD=1 for figures that must not be quoted).", file=sys.stderr)
        return 3

    summary = summarize(runs)
    loads = [r["load_average"] for run in runs for r in run if "load_average" in r]
    loaded = any(load > CORES for load in loads)
    shortened = [text for text, short in (
        (f"{options.runs} of the 3 runs", options.runs < 3),
        (f"{options.seconds} s per grid instead of 6", options.seconds < 6),
        (f"only the scenarios with '{options.only}'", bool(options.only))) if short]
    header = benchreport.header(options.root, len(runs), loads, load_average(),
                                settings=f"{options.seconds} s per grid", shortened="; ".join(shortened))
    text = tables(summary, header)
    print(text)
    print()
    print(json.dumps({"goals_met": goals_met(summary), "loaded": loaded,
                      "summary": {" ".join(map(str, k)): v for k, v in summary.items()}}, indent=1))
    if options.readme:
        benchreport.write_section(os.path.join(options.root, "README.md"), "video-bench", text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
