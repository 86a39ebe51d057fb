#!/usr/bin/python3
"""What every benchmark script reports the same way: medians over runs, a figure with its
spread, the line that says when, where and under what load the figures were taken, and the
README section each script owns (between <!-- NAME:begin --> and <!-- NAME:end -->).

Scripts in Python import it; shell scripts call it:
  benchreport.py medians RUNS.jsonl   one JSON object, every number the median of its runs
"""
import datetime
import json
import os
import re
import statistics
import subprocess
import sys

CORES = os.cpu_count() or 1


def cores_text():
    """The cores the measurements ran on: "8 cores", or "cores 4-7 of 8" when the script
    was pinned to some (taskset) while other work used the rest."""
    pinned = sorted(os.sched_getaffinity(0))
    if len(pinned) >= CORES:
        return f"{CORES} cores"
    if pinned == list(range(pinned[0], pinned[-1] + 1)):
        return f"cores {pinned[0]}-{pinned[-1]} of {CORES}"
    return f"{len(pinned)} of {CORES} cores"


def load_average():
    with open("/proc/loadavg") as f:
        return float(f.read().split()[0])


def read_runs(path):
    """The JSON objects of a file of one object a line."""
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip().startswith("{")]


def is_number(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool)


def medians(runs):
    """One object shaped like the runs, every number the median of its values."""
    def merge(values):
        if all(isinstance(v, dict) for v in values):
            return {k: merge([v[k] for v in values if k in v]) for k in values[0]}
        if all(is_number(v) for v in values):
            return round(statistics.median(values), 3)
        return values[0]
    return {**merge(runs), "runs": len(runs)} if runs else {}


def numbers(runs, *path):
    """The values at PATH (keys into nested objects) over the runs; absent and negative
    values (the benchmarks' "not measured") are left out."""
    found = []
    for run in runs:
        value = run
        for key in path:
            value = value.get(key) if isinstance(value, dict) else None
        if is_number(value) and value >= 0:
            found.append(value)
    return found


def spread(values, digits=1, unit=""):
    """The median, and the lowest and highest value when they differ: "12.3 ms (11.0–14.1)"."""
    if not values:
        return "–"
    fmt = "{:.%df}" % digits
    text = fmt.format(statistics.median(values)) + unit
    low, high = fmt.format(min(values)), fmt.format(max(values))
    if len(values) > 1 and low != high:
        text += f" ({low}–{high})"
    return text


def revision(root):
    """The short commit hash, with "+ changes" when tracked files differ from it."""
    def git(*arguments):
        return subprocess.run(["git", "-C", root, *arguments], capture_output=True, text=True).stdout.strip()
    # The tables the scripts write into README.md change nothing measured.
    dirty = git("status", "--porcelain", "--untracked-files=no", "--", ".", ":(exclude)README.md")
    return (git("rev-parse", "--short", "HEAD") or "unknown") + (" + changes" if dirty else "")


def header(root, runs, loads_before, load_after, settings="", shortened="", commit=None):
    """The line over a script's tables. LOADS_BEFORE: the 1-minute load averages read before
    the measurements; any of them above the core count marks the figures, and so does
    SHORTENED (where the run departed from the script's full setting). COMMIT: what the measured
    programs were built from, when not the work tree's commit."""
    loads = [load for load in loads_before if load is not None]
    if len(loads) > 1 and f"{min(loads):.1f}" != f"{max(loads):.1f}":
        load_text = f"{min(loads):.1f} to {max(loads):.1f} before the measurements"
    else:
        load_text = f"{loads[0]:.1f} before" if loads else "unknown before"
    line = (f"Measured {datetime.date.today().isoformat()} at commit {commit or revision(root)}, on {cores_text()}, "
            f"load average {load_text}, {load_after:.1f} after; "
            f"{runs} run{'s' if runs != 1 else ''}" + (f" ({settings})" if settings else "")
            + (", medians (lowest–highest)." if runs > 1 else "."))
    marks = []
    if any(load > CORES for load in loads):
        marks.append(f"taken above the load limit (load average up to {max(loads):.1f} on {CORES} cores)")
    if shortened:
        marks.append(f"not the script's full setting ({shortened})")
    if marks:
        line += "\n\n**Not figures to quote**: " + "; ".join(marks) + "."
    return line


def table(columns, rows):
    """A Markdown table."""
    lines = ["| " + " | ".join(columns) + " |", "|" + "---|" * len(columns)]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def write_section(readme, name, text):
    """Replaces what lies between README's <!-- NAME:begin --> and <!-- NAME:end --> by TEXT."""
    begin, end = f"<!-- {name}:begin -->", f"<!-- {name}:end -->"
    with open(readme, encoding="utf-8") as f:
        content = f.read()
    pattern = re.compile(re.escape(begin) + ".*?" + re.escape(end), re.S)
    if not pattern.search(content):
        raise SystemExit(f"{readme} has no {begin} ... {end} section")
    content = pattern.sub(lambda _: f"{begin}\n{text.strip()}\n{end}", content, count=1)
    with open(readme, "w", encoding="utf-8") as f:
        f.write(content)
    print(f"{readme}: {name} written", file=sys.stderr)


def publish(root, name, text, readme):
    """Prints a script's tables and, with README set, writes them into its section."""
    print(text)
    if readme:
        write_section(os.path.join(root, "README.md"), name, text)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "medians":
        merged = medians(read_runs(sys.argv[2]))
        if merged:
            print(json.dumps(merged, ensure_ascii=False))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
