#!/usr/bin/python3
"""The carousel soak's table (bench/run-carousel-soak.sh), from its samples (one JSON object
a line: t seconds since the login, rss_mb, threads, streams); with --readme also written
into README.md (section carousel-soak)."""
import argparse
import datetime
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "common"))
import benchreport  # noqa: E402


def at(samples, seconds):
    """The sample nearest to SECONDS, if the run got within one sample of it."""
    nearest = min(samples, key=lambda s: abs(s["t"] - seconds))
    return nearest if abs(nearest["t"] - seconds) <= 30 else None


def mb(sample):
    return f"{sample['rss_mb']:.0f} MB" if sample else "–"


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
    login, ten, thirty, end = samples[0], at(samples, 600), at(samples, 1800), samples[-1]
    growth = f"{thirty['rss_mb'] - ten['rss_mb']:+.1f} MB" if ten and thirty else "–"
    commit = options.commit or benchreport.revision(options.root)
    header = benchreport.header(options.root, 1, [options.load_before], options.load_after,
                                settings=f"six channels on the home page's 2x2 wall, a tick every {options.interval} s, "
                                         "640x360 RTSP, OpenGL on llvmpipe under Xvfb",
                                shortened=options.shortened, commit=commit)
    row = (datetime.date.today().isoformat(), commit, f"{options.load_before:.1f} / {options.load_after:.1f}",
           mb(login), mb(ten), mb(thirty), f"{mb(end)} ({end['t'] / 60:.0f} min)", f"**{growth}**",
           str(end["streams"]))
    text = (header + "\n\n"
            + "Resident memory of the client (goal: at most 15 MB of growth from minute 10 to 30):\n\n"
            + benchreport.table(("date", "commit", "load before / after", "at the login", "10 min", "30 min", "end",
                                 "growth, minutes 10–30", "streams opened"), [row]))
    benchreport.publish(options.root, "carousel-soak", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
