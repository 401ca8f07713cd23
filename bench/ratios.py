#!/usr/bin/env python3
"""Runs the core benchmarks once and prints the medians and the ratios the targets ask for.
Usage: ratios.py [BENCH_EXE [benchmark options, e.g. --benchmark_filter=Range|Plain|Fit]]"""
import json, subprocess, sys

exe = sys.argv[1] if len(sys.argv) > 1 else "build/default/bench/quillmark_core_bench"
out = subprocess.run([exe, "--benchmark_format=json", *sys.argv[2:]], check=True, capture_output=True, text=True).stdout
runs = json.loads(out)["benchmarks"]
# Names keep their arguments ("BM_FitValues/100000") but not the repetition count.
key = lambda r: "/".join(p for p in r["run_name"].split("/") if not p.startswith("repeats:"))
median = {key(r): r for r in runs if r.get("aggregate_name") == "median"}
to_ms = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

def ms(name):
    r = median[name]
    return r["real_time"] * to_ms[r["time_unit"]]

for name, r in median.items():
    extra = f'  {r["items_per_second"] / 1e6:.1f} M lines/s' if "items_per_second" in r else ""
    print(f"{name:40s} median {ms(name):11.4f} ms{extra}")
if "BM_FreadSameBytes" in median and "BM_ReadRecordingFile" in median:
    fread, load = ms("BM_FreadSameBytes"), ms("BM_ReadRecordingFile")
    print(f"open recording file / one fread of the same bytes: {load / fread:.2f}x (target <= 3x)")
for n in ("BM_SpreadsheetExportWholeSeconds", "BM_SpreadsheetExportFastSampling", "BM_SpreadsheetExportToFile"):
    if n in median:
        print(f"{n}: {median[n]['items_per_second'] / 1e6:.1f} M lines/s (target >= 10)")
for length, target in (("100000", 0.5), ("9999001", 5.0)):
    plain = f"BM_PlainStatisticsLoop/{length}"
    if plain not in median:
        continue
    for name, what, limit in ((f"BM_RangeStatistics/{length}", "range statistics", target),
                              (f"BM_FitValues/{length}", "Fit Values", 1.0)):
        if name in median:
            print(f"{what} over {length} samples: {ms(name) * 1000:.1f} us, "
                  f"{ms(name) / ms(plain):.5f}x the plain loop's {ms(plain):.2f} ms "
                  f"(target <= {limit} ms)")
