#!/usr/bin/python3
"""The carousel soak's table (bench/run-carousel-soak.sh), from its samples (one JSON object
a line: t seconds since the login, rss_mb, threads, streams); with --readme also written
into README.md (section carousel-soak)."""
import argparse
import datetime
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402


def at(samples, seconds):
    """The median resident set of the samples within a minute of SECONDS: one sample lands
    anywhere between a tick's opening of streams and its closing of the old ones, which
    moves the figure by about 10 MB either way."""
    near = [s["rss_mb"] for s in samples if abs(s["t"] - seconds) <= 60]
    return statistics.median(near) if near else None


def trend(samples, since):
    """Growth in MB per minute from SINCE seconds on: the least-squares slope."""
    points = [(s["t"] / 60, s["rss_mb"]) for s in samples if s["t"] >= since]
    if len(points) < 3:
        return None
    mean_t = statistics.mean(t for t, _ in points)
    mean_mb = statistics.mean(mb for _, mb in points)
    return (sum((t - mean_t) * (mb - mean_mb) for t, mb in points)
            / sum((t - mean_t) ** 2 for t, _ in points))


def mb(value):
    return f"{value:.0f} MB" if value is not None else "–"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--root", required=True)
    parser.add_argument("--interval", type=int, required=True)
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
    login, ten, thirty, end = samples[0]["rss_mb"], at(samples, 600), at(samples, 1800), samples[-1]
    growth = f"{thirty - ten:+.1f} MB" if ten is not None and thirty is not None else "–"
    slope = trend(samples, 600)
    commit = options.commit or benchreport.revision(options.root)
    header = benchreport.header(options.root, 1, [options.load_before], options.load_after,
                                settings=f"six channels on the home page's 2x2 wall, a tick every {options.interval} s, "
                                         "640x360 RTSP, OpenGL on llvmpipe under Xvfb",
                                shortened=options.shortened, commit=commit)
    row = (datetime.date.today().isoformat(), commit, f"{options.load_before:.1f} / {options.load_after:.1f}",
           mb(login), mb(ten), mb(thirty), f"{mb(end['rss_mb'])} ({end['t'] / 60:.0f} min)", f"**{growth}**",
           f"{slope:+.2f} MB" if slope is not None else "–", str(end["streams"]))
    text = (header + "\n\n"
            + "Resident memory of the client (goal: at most 15 MB of growth from minute 10 to 30; at 10 and 30 "
              "minutes the median of the samples within a minute, the trend a least-squares line through the "
              "samples from minute 10 on):\n\n"
            + benchreport.table(("date", "commit", "load before / after", "at the login", "10 min", "30 min", "end",
                                 "growth, minutes 10–30", "trend from minute 10, per minute", "streams opened"),
                                [row]))
    benchreport.publish(options.root, "carousel-soak", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
