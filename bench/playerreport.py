#!/usr/bin/python3
"""The player benchmark's table (bench/run-player-bench.sh), from zelka_player_bench's report;
with --readme also written into README.md (section player-bench)."""
import argparse
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402

SOURCES = {
    "file": "local MP4 file",
    "rtsp (file on demand)": "RTSP, file on demand",
    "rtsp (file on demand, server offers udp only)": "RTSP, file on demand, server offering UDP only (TCP asked first)",
    "rtsp (live encoder)": "RTSP, live x264 encoder started per client",
    "rtmp": "RTMP",
    "http-flv": "HTTP-FLV",
    "hls": "HLS on demand",
}


def ffmpeg_version():
    first = subprocess.run(["ffmpeg", "-version"], capture_output=True, text=True).stdout.split("\n")[0]
    found = re.search(r"version (\S+)", first)
    return "FFmpeg " + found.group(1) if found else "FFmpeg (version unknown)"


def milliseconds(value):
    return f"{value:.1f} ms" if value is not None and value >= 0 else "–"


def rows(report):
    out = []
    for entry in report.get("first_frame", []):
        label = SOURCES.get(entry["source"], entry["source"])
        value = milliseconds(entry["median_ms"])
        if entry["runs"] > 1 and entry["min_ms"] != entry["max_ms"]:
            value += f" ({entry['min_ms']:.1f}–{entry['max_ms']:.1f})"
        out.append((f"first picture, {label} (median of {entry['runs']}, lowest–highest)", value))
    cpu = report.get("cpu_1080p", {})
    if cpu:
        out.append((f"CPU per decoded frame, {cpu['file']}: library / `ffmpeg -threads 1 -f null` "
                    "(the best of alternating runs of each)",
                    f"{cpu['library_ms_per_frame']:.2f} ms / {cpu['ffmpeg_ms_per_frame']:.2f} ms = "
                    f"**{cpu['ratio']:.2f}** (goal at most {cpu['goal_ratio_at_most']:.2f})"))
    memory = report.get("memory_1080p", {})
    if memory:
        out.append((f"resident memory per open 1080p stream ({memory['streams']} streams)",
                    f"{memory['resident_mb_per_stream']:.1f} MB"))
    close = report.get("close_stalled_rtsp", {})
    if close:
        out.append((f"close of a stalled RTSP stream (median / highest of {close['runs']})",
                    f"{milliseconds(close['median_ms'])} / {milliseconds(close['max_ms'])}"))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--load-before", type=float, required=True)
    parser.add_argument("--load-after", type=float, required=True)
    parser.add_argument("--readme", action="store_true")
    parser.add_argument("report")
    options = parser.parse_args()
    with open(options.report, encoding="utf-8") as f:
        report = json.load(f)
    header = benchreport.header(options.root, 1, [options.load_before], options.load_after,
                                settings=f"of the benchmark program, each figure over its own repetitions; "
                                         f"loopback, {ffmpeg_version()}")
    text = header + "\n\n" + benchreport.table(("figure", "value"), rows(report))
    benchreport.publish(options.root, "player-bench", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
