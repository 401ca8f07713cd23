#!/usr/bin/env python3
"""Runs the core benchmarks once and prints the medians and the ratios the targets ask for."""
import json, subprocess, sys

exe = sys.argv[1] if len(sys.argv) > 1 else "build/default/bench/quillmark_core_bench"
out = subprocess.run([exe, "--benchmark_format=json"], check=True, capture_output=True, text=True).stdout
runs = json.loads(out)["benchmarks"]
median = {r["run_name"].split("/")[0]: r for r in runs if r.get("aggregate_name") == "median"}

def ms(name):
    r = median[name]
    return r["real_time"] if r["time_unit"] == "ms" else r["real_time"] / 1e6

for name, r in median.items():
    extra = f'  {r["items_per_second"] / 1e6:.1f} M lines/s' if "items_per_second" in r else ""
    print(f"{name:40s} median {ms(name):9.2f} ms{extra}")
fread, load = ms("BM_FreadSameBytes"), ms("BM_ReadRecordingFile")
print(f"open recording file / one fread of the same bytes: {load / fread:.2f}x (target <= 3x)")
for n in ("BM_SpreadsheetExportWholeSeconds", "BM_SpreadsheetExportFastSampling", "BM_SpreadsheetExportToFile"):
    if n in median:
        print(f"{n}: {median[n]['items_per_second'] / 1e6:.1f} M lines/s (target >= 10)")
