#!/usr/bin/env python3
"""Turns a benchmark program's JSON output into the ratio tables of bench/README.md (median real
times)."""
import json
import sys

runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {}
for r in runs:
    if r.get("aggregate_name", "median") == "median" and not r.get("error_occurred"):
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[r["time_unit"]]
        median[r["run_name"].replace("/real_time", "")] = r["real_time"] * scale  # microseconds

if "Memcpy" in median:
    copy, fresh_copy = median["Memcpy"], median["MemcpyFresh"]
    print("| reading the 24-bit 4000 x 3000 bitmap | time (ms) | / memcpy | / memcpy into fresh storage |")
    print("|---|---:|---:|---:|")
    for name, label in (("Memcpy", "`memcpy` of the 36,000,000 pixel bytes, storage reused"),
                        ("MemcpyFresh", "`memcpy` of the same bytes into fresh storage"),
                        ("ReadBmpMemory", "`ReadBmp` from memory, the picture's storage reused"),
                        ("ReadBmpMemoryFresh", "`ReadBmp` from memory into a fresh picture"),
                        ("ReadBmpFile", "`ReadBmpFile` from `/dev/shm`")):
        if name in median:
            t = median[name]
            print(f"| {label} | {t / 1e3:.2f} | {t / copy:.2f} | {t / fresh_copy:.2f} |")
    print()
if "DecodeJpegMemory" in median:
    djpeg, start = median.get("Djpeg/0"), median.get("Djpeg/1")
    print("| decoding the 4000 x 3000 JPEG | time (ms) | ours (memory) / it |")
    print("|---|---:|---:|")
    ours = median.get("DecodeJpegMemory")
    for name, label in (("DecodeJpegMemory", "ours, `DecodePicture` from memory"),
                        ("DecodeJpegFile", "ours, `DecodePictureFile` (reading the file included)")):
        if name in median:
            print(f"| {label} | {median[name] / 1e3:.1f} | {ours / median[name]:.2f} |")
    if djpeg and start and ours:
        print(f"| `djpeg -outfile /dev/null`, whole process | {djpeg / 1e3:.1f} | {ours / djpeg:.2f} |")
        print(f"| `djpeg` of a 1 x 1 JPEG (start-up) | {start / 1e3:.2f} | |")
        print(f"| `djpeg`, less the start-up | {(djpeg - start) / 1e3:.1f} | {ours / (djpeg - start):.2f} |")
if "DecodeWebp/0" in median:
    start = median.get("Dwebp/2")
    print("| decoding the 4000 x 3000 WebP | ours, `DecodePicture` (ms) | `dwebp`, whole process (ms) | "
          "`dwebp` less its start-up (ms) | ours / dwebp less start-up |")
    print("|---|---:|---:|---:|---:|")
    for kind, label in (("0", "lossy, quality 90"), ("1", "lossless")):
        ours, theirs = median.get(f"DecodeWebp/{kind}"), median.get(f"Dwebp/{kind}")
        if ours and theirs and start:
            print(f"| {label} | {ours / 1e3:.1f} | {theirs / 1e3:.1f} | {(theirs - start) / 1e3:.1f} | "
                  f"{ours / (theirs - start):.2f} |")
    print(f"\n`dwebp` of a 1 x 1 WebP (its start-up and the shell's): {start / 1e3:.2f} ms\n")
if "DecodeJpeg24/0" in median:
    decode, fresh = median["DecodeJpeg24/0"], median["DecodeJpeg24Fresh/0"]
    print("| the 6000 x 4000 JPEG (24 MP, 4:2:0) | time (ms) | / decode, storage reused | / decode into fresh storage |")
    print("|---|---:|---:|---:|")
    rows = [("DecodeJpeg24/0", "decode, the picture's storage reused"),
            ("DecodeJpeg24Fresh/0", "decode into a fresh picture"),
            ("DecodeJpeg24/1", "decode of the same file tagged 6, turned upright, storage reused"),
            ("DecodeJpeg24Fresh/1", "decode of the file tagged 6, turned upright, into a fresh picture")]
    names = {2: "mirrored", 3: "turned half way", 4: "flipped", 5: "transposed", 6: "turned a quarter clockwise",
             7: "transverse", 8: "turned a quarter anticlockwise"}
    rows += [(f"TurnUpright/{k}", f"turning alone, orientation {k} ({names[k]})") for k in range(2, 9)]
    rows += [(f"DecodeJpeg24TurningWhileDecoding/{n}", f"model: the tagged file turned while decoding, strips of {n} rows, "
              "storage reused") for n in (16, 64)]
    for name, label in rows:
        if name in median:
            t = median[name]
            print(f"| {label} | {t / 1e3:.1f} | {t / decode:.2f} | {t / fresh:.2f} |")
if "DecodePng/0" in median:
    print("| decoding PNG | ours, libpng (ms) | the reader before, stb_image (ms) | ours / before |")
    print("|---|---:|---:|---:|")
    for name, label in (("DecodePng", "the 4000 x 3000 plasma, 8-bit colour"), ("DecodeBomb", "one pixel, image data inflating to 2 GB")):
        ours = median.get(f"{name}/0")
        before = median.get(f"{name}/1") or median.get(f"{name}/1/iterations:1")
        if ours and before:
            print(f"| {label} | {ours / 1e3:.2f} | {before / 1e3:.1f} | {ours / before:.4f} |")
if "Memcpy" in median or "DecodeJpegMemory" in median or "DecodeWebp/0" in median or "DecodePng/0" in median:
    sys.exit(0)

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
