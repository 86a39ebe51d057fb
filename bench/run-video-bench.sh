#!/usr/bin/env bash
# Builds the video item benchmark (optimised, no sanitizer), runs every scenario in a
# process of its own on a virtual X display (OpenGL through Mesa) and prints one JSON
# object. CPU ratios divide the item's CPU per drawn frame (without the render
# threads, which rasterise on the CPU here) by "ffmpeg -threads 1" decode-only CPU
# per frame of the same file, measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-bench}
SECONDS_PER_RUN=${SECONDS_PER_RUN:-6}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELKA_BUILD_TESTS=ON -DZELKA_BUILD_BENCH=ON \
    >/dev/null
cmake --build "$BUILD_DIR" --target zelka_video_bench >/dev/null
bench="$(pwd)/$BUILD_DIR/bin/zelka_video_bench"
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
cd "$workdir"

on_display() {
    QSG_RENDER_LOOP=threaded xvfb-run -a -s "-screen 0 1600x900x24" "$bench" "$@" 2>/dev/null
}

{
    "$bench" decode --height 1080 --seconds $((SECONDS_PER_RUN + 8)) 2>/dev/null
    "$bench" decode --height 360 --seconds $((SECONDS_PER_RUN + 8)) 2>/dev/null
    for n in 1 4 9 16; do on_display grid --items "$n" --height 1080 --seconds "$SECONDS_PER_RUN"; done
    for n in 36 64 144; do on_display grid --items "$n" --height 360 --seconds "$SECONDS_PER_RUN"; done
    on_display idle --items 144 --seconds 10
    on_display pacing --seconds 20
} >runs.jsonl

/usr/bin/python3 - runs.jsonl <<'PY'
import json, sys
runs = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
decode = {r["height"]: r["ffmpeg_cpu_ms_per_frame"] for r in runs if r["mode"] == "decode" and "height" in r}
grid = []
for r in (r for r in runs if r["mode"] == "grid"):
    base = decode.get(r["height"])
    if base and r.get("cpu_ms_per_frame_without_render", -1) > 0:
        r["cpu_ratio_to_ffmpeg_without_render"] = round(r["cpu_ms_per_frame_without_render"] / base, 2)
        r["cpu_ratio_to_ffmpeg_with_render"] = round(
            (r["cpu_ms_per_frame_without_render"] + r["render_cpu_ms_per_frame"]) / base, 2)
    grid.append(r)
report = {
    "ffmpeg_decode_cpu_ms_per_frame": decode,
    "grid": grid,
    "idle": next((r for r in runs if r["mode"] == "idle"), None),
    "pacing": next((r for r in runs if r["mode"] == "pacing"), None),
}
print(json.dumps(report, indent=1))
PY
