#!/usr/bin/python3
"""Deleting 144 playing tiles with the client's allocator settings and with glibc's own.

Runs the video item benchmark's close scenario (live RTSP) in turns, one setting then the
other, so that the machine's changing load falls on both alike; the 1-minute load average
is read before every run. Prints every run as a JSON line, then the medians (lowest and
highest) of each setting. --before BIN adds a turn: a benchmark binary kept from an
earlier commit, with the client's setting. --threshold KB (repeatable) adds a turn with
glibc's mapping bound fixed at KB (its tunable glibc.malloc.mmap_threshold, which fixes the
bound as mallopt does), to compare other bounds in the same run. With DISPLAY set the runs
use that X server, otherwise each starts one of its own (xvfb-run).

Before the runs --probe PROBE (zelka_paramset_probe) measures FFmpeg's parameter-set
records; when one no longer fits under the client's mapping bound the benchmark stops
with its message: an FFmpeg upgrade must not move it above the bound unnoticed.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
from benchreport import load_average  # noqa: E402

SETTINGS = {"client": [], "glibc": ["--glibc-allocator"]}
THRESHOLD_PREFIX = "bound fixed at "
FIGURES = ("deletion_ms", "longest_gui_gap_ms", "longest_gui_gap_ms_before", "gui_gap_p99_ms",
           "gui_gap_p99_ms_playing", "threads_gone_ms", "load_average")


def run_one(bench, setting, items, source):
    load = load_average()
    environment = dict(os.environ, QSG_RENDER_LOOP="threaded")
    arguments = SETTINGS.get(setting, [])
    if setting.startswith(THRESHOLD_PREFIX):
        kilobytes = int(setting[len(THRESHOLD_PREFIX):].split()[0])
        environment["GLIBC_TUNABLES"] = f"glibc.malloc.mmap_threshold={kilobytes * 1024}"
        arguments = ["--glibc-allocator"]
    command = [bench, "close", "--items", str(items), "--source", source] + arguments
    # An X server of the caller's (DISPLAY set), or one of the run's own.
    if not os.environ.get("DISPLAY"):
        command = ["xvfb-run", "-a", "-s", "-screen 0 1600x900x24"] + command
    done = subprocess.run(command, capture_output=True, text=True, env=environment)
    lines = [line for line in done.stdout.splitlines() if line.startswith("{")]
    result = (json.loads(lines[-1]) if done.returncode == 0 and lines
              else {"failed": True, "error": done.stderr.strip().splitlines()[-3:]})
    result.update(setting=setting, load_average=load)
    return result


def check_parameter_sets(probe):
    """Runs the probe; its JSON line is printed either way, and a record that no longer fits
    ends the benchmark."""
    done = subprocess.run([probe], capture_output=True, text=True)
    print(done.stdout.strip(), flush=True)
    if done.returncode != 0:
        sys.exit(f"allocatorbench: {done.stderr.strip() or 'the parameter-set probe failed'}")


def spread(values):
    return f"{statistics.median(values):g} ({min(values):g}–{max(values):g})" if values else "–"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bench", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--items", type=int, default=144)
    parser.add_argument("--source", default="live")
    parser.add_argument("--before")
    parser.add_argument("--threshold", type=int, action="append", default=[])
    args = parser.parse_args()
    check_parameter_sets(args.probe)
    binaries = {"client": args.bench, "glibc": args.bench}
    if args.before:
        binaries["client, before"] = args.before
    for kilobytes in args.threshold:
        binaries[f"{THRESHOLD_PREFIX}{kilobytes} KB"] = args.bench
    settings = list(binaries)
    results = []
    for round_ in range(args.rounds):
        # Which setting goes first changes every round.
        order = settings[round_ % len(settings):] + settings[:round_ % len(settings)]
        for setting in order:
            result = run_one(binaries[setting], setting, args.items, args.source)
            print(json.dumps(result), flush=True)
            results.append(result)
    print()
    print("| allocator | " + " | ".join(FIGURES) + " |")
    print("|---" * (len(FIGURES) + 1) + "|")
    for setting in settings:
        ok = [r for r in results if r["setting"] == setting and not r.get("failed")]
        cells = [spread([r[name] for r in ok if name in r]) for name in FIGURES]
        started = sum(1 for r in ok if r.get("started", True))
        print(f"| {setting} ({len(ok)} runs, {started} with every tile playing) | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
