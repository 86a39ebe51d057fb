#!/usr/bin/python3
"""Medians of the site benchmark's runs (run-site-bench.sh), as one JSON object and as the
tables of the large site and the idle pages; with --readme the tables are also written into
README.md (section site-bench).
Use: summarize.py RESULTS.jsonl [--root DIR] [--shortened TEXT] [--commit HASH] [--readme]"""
import argparse
import json
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import benchreport  # noqa: E402
from benchreport import spread  # noqa: E402

PAGES = [("home", "home"), ("video_square", "video square"), ("realtime", "real-time"), ("records", "records"),
         ("alarms", "alarms"), ("map", "map")]
FIGURES = ("login_s", "settle_s", "settle_cpu_s", "rss_mb")


def median(values):
    values = [v for v in values if v is not None]
    return round(statistics.median(values), 2) if values else None


def present(values):
    return [v for v in values if v is not None]


def groups(runs):
    """{(mode, backend): [runs]}, the site before the seeded data, default before software."""
    found = {}
    for mode in ("site", "seeded"):
        for backend in sorted({r["backend"] for r in runs if r["mode"] == mode}):
            found[(mode, backend)] = [r for r in runs if r["mode"] == mode and r["backend"] == backend]
    return found


def page_values(group, page, key):
    return present([r["pages"][page][key] for r in group if page in r.get("pages", {})])


def medians(by_group):
    summary = {}
    for (mode, backend), group in by_group.items():
        entry = {"runs": len(group), "load_average": [r["load_average"] for r in group]}
        entry.update({key: median([r.get(key) for r in group]) for key in FIGURES})
        pages = {page: {key: median(page_values(group, page, key)) for key in ("cpu", "fps", "busy_share")}
                 for page, _ in PAGES if page_values(group, page, "cpu")}
        if pages:
            entry["pages"] = pages
        summary[f"{mode}/{backend}"] = entry
    for backend in {backend for _, backend in by_group}:
        site, seeded = summary.get("site/" + backend), summary.get("seeded/" + backend)
        if site and seeded and site["rss_mb"] and seeded["rss_mb"]:
            site["rss_ratio_to_seeded"] = round(site["rss_mb"] / seeded["rss_mb"], 2)
    return summary


def site_table(by_group, summary, site):
    rows = []
    for (mode, backend), group in by_group.items():
        memory = spread(present([r["rss_mb"] for r in group]), 0, " MB")
        ratio = summary[f"{mode}/{backend}"].get("rss_ratio_to_seeded")
        if ratio:
            memory += f", {ratio:.2f} x seeded"
        rows.append((f"{site if mode == 'site' else 'the seeded data'}, {backend} back end",
                     spread(present([r["login_s"] for r in group]), 2, " s"),
                     spread(present([r["settle_s"] for r in group]), 1, " s"),
                     spread(present([r.get("settle_cpu_s") for r in group]), 1, " s"),
                     memory))
    return benchreport.table(("data, back end", "login", "settled (from the login click)", "CPU until settled",
                              "resident memory"), rows)


def page_cell(group, page):
    cpu = page_values(group, page, "cpu")
    if not cpu:
        return "–"
    text = f"{spread(cpu, 1, ' %')}, {spread(page_values(group, page, 'fps'), 1)} frames per s"
    if page == "home":
        text += f", busy {spread([100 * v for v in page_values(group, page, 'busy_share')], 0, ' %')} of the time"
    return text


def pages_table(by_group):
    backends = [(backend, group) for (mode, backend), group in by_group.items() if mode == "site"]
    if not any(r.get("pages") for _, group in backends for r in group):
        return ""
    rows = [(name, *(page_cell(group, page) for _, group in backends)) for page, name in PAGES]
    return benchreport.table(("page, idle (% of one core)", *(f"{backend} back end" for backend, _ in backends)),
                             rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("results")
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    parser.add_argument("--shortened", default="")
    parser.add_argument("--commit", help="what the client was built from, when not the work tree's commit")
    parser.add_argument("--readme", action="store_true")
    options = parser.parse_args()
    records = benchreport.read_runs(options.results)
    start = next((r for r in records if "start" in r), {})
    end = next((r for r in records if "end" in r), {})
    runs = [r for r in records if "mode" in r]
    if not runs:
        print("no run gave figures", file=sys.stderr)
        return 1
    by_group = groups(runs)
    summary = medians(by_group)
    print(json.dumps({"medians": summary}, ensure_ascii=False))
    print()

    site = start.get("site", "the generated site")
    header = benchreport.header(options.root, max(len(g) for g in by_group.values()),
                                [r["load_average"] for r in runs], end.get("load_average", benchreport.load_average()),
                                settings=f"{site}, the client under Xvfb at 1920x1080",
                                shortened=options.shortened, commit=options.commit)
    parts = [header,
             "Logging in and settling (goals: login at most 2 s, settled within 10 s, memory at most 1.5 x the "
             "seeded data's):",
             site_table(by_group, summary, site)]
    pages = pages_table(by_group)
    if pages:
        parts += ["Idle pages of the generated site, nothing playing: process CPU and frames drawn per second "
                  "(goal: every page but home at most 5 % of a core; home draws while its animations run, the "
                  "charts' 800 ms of every 2 s sample, a busy share of 40 %):",
                  pages]
    text = "\n\n".join(parts)
    benchreport.publish(options.root, "site-bench", text, options.readme)
    return 0


if __name__ == "__main__":
    sys.exit(main())
