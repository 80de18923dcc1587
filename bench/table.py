#!/usr/bin/python3
"""Turns the figures of one bench/run into one markdown table.

Usage: table.py ROWS [GOOGLE_BENCHMARK_JSON ...]
ROWS holds one figure per line: what, our seconds, the peer or floor, its seconds (tab-separated;
the last two empty when nothing compares). Each JSON file is Google Benchmark output with
repetitions; its medians become rows too, named and paired below.
"""
import json
import sys

# Google Benchmark names: what they measure, and the benchmark that is their floor.
NAMES = {
    "MailerCode128": ("Mailer number, Code 128, s = 9, h = 450, turned 180° (as on the form)", None),
    "MailerCode128WithText": ("The same with its text under it", None),
    "PostnetZipPlus4": ("POSTNET ZIP+4, s = 14, h = 84, turned 180°", None),
    "FormToPdf600": ("One complete form at 600 dpi to a PDF file (bar codes as 1-bit images)",
                     ("BlankPageToPdf600", "an empty page through the same PDF writer")),
    "FormToRaster600": ("One complete form at 600 dpi to the raster page (the page reused, as a printer is)", None),
}


def fmt(seconds):
    if seconds >= 1:
        return "%.2f s" % seconds
    if seconds >= 1e-3:
        return "%.3g ms" % (seconds * 1e3)
    return "%.3g µs" % (seconds * 1e6)


def main():
    rows = []
    for path in sys.argv[2:]:
        with open(path) as f:
            data = json.load(f)
        medians = {}
        for b in data.get("benchmarks", []):
            if b.get("aggregate_name") == "median":
                scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
                medians[b["run_name"]] = b["real_time"] * scale
        for name, (what, floor) in NAMES.items():
            if name in medians:
                if floor and floor[0] in medians:
                    rows.append((what, medians[name], floor[1], medians[floor[0]]))
                else:
                    rows.append((what, medians[name], "", None))
    with open(sys.argv[1]) as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) < 2:
                continue
            what, ours = parts[0], float(parts[1])
            against = parts[2] if len(parts) > 2 else ""
            theirs = float(parts[3]) if against and len(parts) > 3 else None
            rows.append((what, ours, against, theirs))
    print("| Figure | Ours | Peer or floor | Its time | Ours / its |")
    print("|---|---:|---|---:|---:|")
    for what, ours, against, theirs in rows:
        if theirs:
            print("| %s | %s | %s | %s | %.2f |" % (what, fmt(ours), against, fmt(theirs), ours / theirs))
        else:
            print("| %s | %s | | | |" % (what, fmt(ours)))


main()
