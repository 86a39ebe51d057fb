#!/usr/bin/env python3
"""Medians of the site benchmark's runs (run-site-bench.sh), as one JSON object and a table.
Use: summarize.py RESULTS.jsonl"""
import json
import statistics
import sys

PAGES = ["home", "video_square", "realtime", "records", "alarms", "map"]


def median(values):
    values = [v for v in values if v is not None]
    return round(statistics.median(values), 2) if values else None


def main():
    runs = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
    runs = [r for r in runs if "mode" in r]
    summary = {}
    for mode in ("seeded", "site"):
        for backend in sorted({r["backend"] for r in runs if r["mode"] == mode}):
            group = [r for r in runs if r["mode"] == mode and r["backend"] == backend]
            entry = {"runs": len(group),
                     "load_average": [r["load_average"] for r in group],
                     "login_s": median([r["login_s"] for r in group]),
                     "settle_s": median([r["settle_s"] for r in group]),
                     "settle_cpu_s": median([r.get("settle_cpu_s") for r in group]),
                     "rss_mb": median([r["rss_mb"] for r in group])}
            pages = {}
            for page in PAGES:
                taken = [r["pages"][page] for r in group if page in r.get("pages", {})]
                if taken:
                    pages[page] = {key: median([t[key] for t in taken]) for key in ("cpu", "fps", "busy_share")}
            if pages:
                entry["pages"] = pages
            summary["%s/%s" % (mode, backend)] = entry
    for backend in sorted({r["backend"] for r in runs}):
        site, seeded = summary.get("site/" + backend), summary.get("seeded/" + backend)
        if site and seeded and site["rss_mb"] and seeded["rss_mb"]:
            site["rss_ratio_to_seeded"] = round(site["rss_mb"] / seeded["rss_mb"], 2)
    print(json.dumps({"medians": summary}, ensure_ascii=False))

    print()
    print("%-16s %7s %8s %10s %7s %6s" % ("median of runs", "login s", "settle s", "settle CPU", "RSS MB", "ratio"))
    for key, entry in summary.items():
        print("%-16s %7s %8s %10s %7s %6s" % (key, entry["login_s"], entry["settle_s"], entry["settle_cpu_s"],
                                              entry["rss_mb"], entry.get("rss_ratio_to_seeded", "")))
    print()
    print("%-16s %-13s %7s %7s %6s" % ("idle, nothing on", "page", "CPU %", "fps", "busy"))
    for key, entry in summary.items():
        for page, figures in entry.get("pages", {}).items():
            print("%-16s %-13s %7s %7s %6s" % (key, page, figures["cpu"], figures["fps"], figures["busy_share"]))
    print()
    print("goals: login <= 2 s, settle <= 10 s, RSS ratio <= 1.5, every page but home <= 5 % under both "
          "back ends; home: fps and busy share beside its animations (the line charts' 800 ms per 2 s "
          "sample, a busy share of 0.40; the disk bars' 1000 ms only when a bar moves a pixel or more; the "
          "clock one frame a second)")


if __name__ == "__main__":
    main()
