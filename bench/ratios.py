#!/usr/bin/env python3
"""Turns render_bench's JSON output into the ratio tables of bench/README.md (median real times)."""
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {}
for r in runs:
    if r.get("aggregate_name", "median") == "median" and not r.get("error_occurred"):
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[r["time_unit"]]
        median[r["run_name"].replace("/real_time", "")] = r["real_time"] * scale  # microseconds

print("| rendering | screen | source | time (µs) | memset (µs) | ratio |")
print("|---|---|---|---:|---:|---:|")
for name, t in median.items():
    parts = name.split("/")
    if parts[0] in ("Tiled", "Mirror"):
        ref = median.get(f"Memset/{parts[1]}/{parts[2]}")
        print(f"| {parts[0]} | {parts[1]} x {parts[2]} | {parts[3]} x {parts[4]} | {t:.0f} | {ref:.0f} | {t / ref:.2f} |")
fresh = median.get("TiledFreshOutput/3840/2160/1/1")
if fresh:
    print(f"\nTiled 1 x 1 at 3840 x 2160 into a fresh picture each time: {fresh:.0f} µs "
          f"({fresh / median['Memset/3840/2160']:.2f} x the memset into a reused buffer).")

ours = median.get("ScaleNearest")
print("\n| scaling 4000 x 3000 (24-bit) to 1920 x 1080 | time (ms) | ours / it |")
print("|---|---:|---:|")
print(f"| ours, nearest pixel | {ours / 1e3:.2f} | 1.00 |")
for threads, label in (("1", "1 thread"), ("0", "default threads")):
    sample = median.get(f"ImageMagickSample/{threads}")
    noop = median.get(f"ImageMagickNoOp/{threads}")
    if sample is None or noop is None:
        continue
    print(f"| ImageMagick `-sample`, {label}, whole command | {sample / 1e3:.2f} | {ours / sample:.3f} |")
    print(f"| ImageMagick `-sample`, {label}, less the no-op command ({noop / 1e3:.2f} ms) "
          f"| {(sample - noop) / 1e3:.2f} | {ours / max(sample - noop, 1e-9):.3f} |")
