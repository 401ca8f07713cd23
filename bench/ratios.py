#!/usr/bin/env python3
"""Runs the core benchmarks once and prints the medians and the ratios the targets ask for.
Usage: ratios.py [BENCH_EXE [benchmark options, e.g. --benchmark_filter=Range|PlainStat|Fit
       or --benchmark_filter=Export|BareWrite for the export and its baselines alone]]
       ratios.py --cli QUILLMARK_CLI [RUNS]   times whole `quillmark-cli plot` processes
       ratios.py --cli-report QUILLMARK_CLI [RUNS]   times `report` against `plot` to SVG"""
import array, json, os, statistics, struct, subprocess, sys, tempfile, time

def write_ten_million(rec):
    """A 10,000,000-sample recording with a period of 10007 samples around the alarm limits."""
    n = 10_000_000
    header = bytearray(64)
    struct.pack_into("<Ii", header, 12, 2, 2026)
    struct.pack_into("<ff", header, 20, 5.0, 25.0)
    header[28:33] = bytes([3, 29, 1, 59, 58])
    header[51] = 0x02
    period = array.array("H", (12000 + (i * 7919) % 9000 - 4500 + (i % 97) * 20 for i in range(10007)))
    samples = (period * (n // len(period) + 1))[:n]
    with open(rec, "wb") as f:
        f.write(struct.pack("<iiidii", n, -1, -1, 0.0, 0, 710) + header)
        f.write(samples.tobytes())

def time_processes(cases, runs):
    """Medians in ms of whole processes, run in turn so a change of load hits all alike."""
    env = dict(os.environ)
    for k in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(k, None)
    times = {name: [] for name in cases}
    for _ in range(runs):
        for name, cmd in cases.items():
            t0 = time.perf_counter()
            subprocess.run(cmd, check=True, env=env, stdout=subprocess.DEVNULL)
            times[name].append((time.perf_counter() - t0) * 1000)
    med = {name: statistics.median(t) for name, t in times.items()}
    for name, m in med.items():
        print(f"{name:40s} median {m:11.1f} ms over {runs} runs")
    return med

def cli_report(cli, runs):
    """Whole processes on a 10,000,000-sample recording: the PDF report, against plot to SVG
    of the same file as the baseline."""
    with tempfile.TemporaryDirectory() as tmp:
        rec = os.path.join(tmp, "ten-million.smpq")
        write_ten_million(rec)
        med = time_processes({"plot to SVG (baseline)": [cli, "plot", rec, "-o", os.path.join(tmp, "out.svg")],
                              "report to PDF": [cli, "report", rec, "-o", os.path.join(tmp, "out.pdf")]}, runs)
    print(f"quillmark-cli report / plot to SVG of the same 10M-sample file: "
          f"{med['report to PDF'] / med['plot to SVG (baseline)']:.2f}x")

def cli_plot(cli, runs):
    """Whole processes on a 10,000,000-sample recording: plot to PNG, against stats of the
    same file (reading it and one pass over the samples) as the baseline."""
    with tempfile.TemporaryDirectory() as tmp:
        rec = os.path.join(tmp, "ten-million.smpq")
        write_ten_million(rec)
        med = time_processes({"stats (baseline)": [cli, "stats", rec],
                              "plot to PNG": [cli, "plot", rec, "-o", os.path.join(tmp, "out.png")]}, runs)
    print(f"quillmark-cli plot / stats of the same 10M-sample file: "
          f"{med['plot to PNG'] / med['stats (baseline)']:.2f}x")

if len(sys.argv) > 2 and sys.argv[1] == "--cli-report":
    cli_report(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    sys.exit(0)
if len(sys.argv) > 2 and sys.argv[1] == "--cli":
    cli_plot(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    sys.exit(0)

exe = sys.argv[1] if len(sys.argv) > 1 else "build/default/bench/quillmark_core_bench"
# Repetitions of all benchmarks run in random order, so a change of load while they run (other
# builds on the machine) spreads over a benchmark and its baselines alike.
run = subprocess.run([exe, "--benchmark_format=json", "--benchmark_enable_random_interleaving=true",
                      *sys.argv[2:]], capture_output=True, text=True)
if run.returncode != 0:
    sys.stderr.write(run.stderr)
    sys.exit(f"{exe} failed (exit status {run.returncode})")
runs = json.loads(run.stdout)["benchmarks"]
# Names keep their arguments ("BM_FitValues/100000") but not the repetition count or timing.
key = lambda r: "/".join(p for p in r["run_name"].split("/")
                         if not p.startswith("repeats:") and p != "real_time")
median = {key(r): r for r in runs if r.get("aggregate_name") == "median"}
for r in runs:
    if r.get("error_occurred"):
        print(f'{key(r)}: not measured: {r.get("error_message", "")}')
to_ms = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

def ms(name):
    r = median[name]
    return r["real_time"] * to_ms[r["time_unit"]]

def wall_clock(name):
    return "/real_time" in median[name]["run_name"]

def own_ms(name):
    """The median on the benchmark's own clock: wall clock where it waits for the disk, else CPU."""
    r = median[name]
    return r["real_time" if wall_clock(name) else "cpu_time"] * to_ms[r["time_unit"]]

for name in sorted(median):
    r = median[name]
    extra = f'  {r["items_per_second"] / 1e6:.1f} M lines/s' if "items_per_second" in r else ""
    print(f"{name:40s} median {ms(name):11.4f} ms, CPU {r['cpu_time'] * to_ms[r['time_unit']]:11.4f} ms{extra}")
if "BM_FreadSameBytes" in median and "BM_ReadRecordingFile" in median:
    fread, load = ms("BM_FreadSameBytes"), ms("BM_ReadRecordingFile")
    print(f"open recording file / one fread of the same bytes: {load / fread:.2f}x (target <= 3x)")

# The export against the plain snprintf writer of the same lines and the bare write(2) of
# its bytes, measured in this run: the ratios hold across machines, the lines/s do not. In
# memory all three are timed in CPU time; the export to a file syncs it, so it is timed on the
# wall clock against the synced bare write.
for case, label in (("WholeSeconds", "whole seconds"), ("FastSampling", "fast sampling")):
    for where, exporter, plain, bare in (
            ("in memory", "BM_SpreadsheetExport", "BM_SnprintfExport", "BM_BareWrite"),
            ("to a file", "BM_SpreadsheetExportToFile", "BM_SnprintfExportToFile", "BM_BareWriteSynced")):
        exporter, plain, bare = (f"{n}/{case}" for n in (exporter, plain, bare))
        if exporter not in median:
            continue
        clock = "wall clock" if wall_clock(exporter) else "CPU time"
        line = (f"export, {label}, {where} ({clock}): {median[exporter]['items_per_second'] / 1e6:.1f} "
                f"M lines/s (target >= 10)")
        for base, what in ((plain, "plain writer"), (bare, "bare write")):
            if base in median:
                line += (f"; exporter / {what} {own_ms(exporter) / own_ms(base):.3f}x "
                         f"({own_ms(exporter):.0f} / {own_ms(base):.0f} ms)")
        print(line)

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
if "BM_SavePlotPng/10000000" in median and "BM_Peer_SavePng/10000000" in median:
    ours, peer = ms("BM_SavePlotPng/10000000"), ms("BM_Peer_SavePng/10000000")
    print(f"PNG of 10M samples: {ours:.1f} ms, QCustomPlot savePng {peer:.1f} ms: "
          f"{ours / peer:.3f}x (target < 0.2)")
