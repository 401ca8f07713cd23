#!/usr/bin/env bash
# quillmark-cli stats: figures against a plain computation in Python, time stamps against the
# CSV export, usage errors and bad files.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC

# A recording file from samples: NAME FAST SAMPLES... (alarm limits 5 and 20).
make_smpq() {
  python3 - "$@" <<'EOF'
import struct, sys
path, fast, samples = sys.argv[1], sys.argv[2] == "1", [int(s) for s in sys.argv[3:]]
header = bytearray(64)
struct.pack_into("<Ii", header, 12, 0 if fast else 2, 2026)
struct.pack_into("<ff", header, 20, 5.0, 20.0)
header[28:33] = bytes([3, 29, 1, 59, 58])
header[51] = 0x12 if fast else 0x02
with open(path, "wb") as f:
    f.write(struct.pack("<iiidii", len(samples), -1, -1, 0.0, 0, 710) + header)
    f.write(struct.pack(f"<{len(samples)}H", *samples))
EOF
}

# Checks stats --json of FILE over FIRST..LAST in UNIT against a plain computation.
check_json() { # file first last unit factor
  "$cli" stats "$1" --first "$2" --last "$3" --unit "$4" --json >"$tmp/s.json" &&
  python3 - "$@" "$tmp/s.json" <<'EOF'
import json, math, struct, sys
path, first, last, unit, factor, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5]), sys.argv[6]
raw = open(path, "rb").read()
n = struct.unpack_from("<i", raw, 0)[0]
low, high = struct.unpack_from("<ff", raw, 28 + 20)
fast = raw[28 + 51] & 0xF0 == 0x10
dt = struct.unpack("<f", struct.pack("<f", 0.0025))[0] if fast else float(struct.unpack_from("<I", raw, 28 + 12)[0])
s = struct.unpack_from(f"<{n}H", raw, 92)[first:last + 1]
f32 = lambda x: struct.unpack("<f", struct.pack("<f", x))[0]
valid = [(first + i, r * factor / 1000.0) for i, r in enumerate(s) if r <= 31000]
d = json.load(open(out))
keys = ["first", "last", "count", "start", "end", "duration_s", "unit", "min", "min_index", "max",
        "max_index", "mean", "stddev", "over_range", "alarm_high", "alarm_low"]
assert list(d) == keys, list(d)
assert (d["first"], d["last"], d["count"]) == (first, last, last - first + 1), d
assert d["duration_s"] == (last - first) * dt, d
assert d["over_range"] == len(s) - len(valid), d
if valid:
    mx = max(valid, key=lambda p: (p[1], p[0]))
    mn = min(valid, key=lambda p: (p[1], -p[0]))
    mean = sum(v for _, v in valid) / len(valid)
    sd = math.sqrt(sum((v - mean) ** 2 for _, v in valid) / len(valid))
    assert (d["max_index"], d["max"], d["min_index"], d["min"]) == (mx[0], mx[1], mn[0], mn[1]), d
    assert math.isclose(d["mean"], mean, rel_tol=1e-9) and math.isclose(d["stddev"], sd, rel_tol=1e-9, abs_tol=1e-9), d
else:
    assert [d[k] for k in ("min", "min_index", "max", "max_index", "mean", "stddev")] == [None] * 6, d
for key, beyond, limit in (("alarm_high", lambda r: r > 31000 or f32(r / 1000.0) > high, high),
                           ("alarm_low", lambda r: r <= 31000 and f32(r / 1000.0) < low, low)):
    runs, run = [], 0
    for r in s + (0xFFFFFFFF,):  # a sentinel closes the last run
        if r != 0xFFFFFFFF and beyond(r):
            run += 1
        elif run:
            runs.append(run); run = 0
    want = {"limit": f32(limit * factor), "samples": sum(runs), "seconds": sum(runs) * dt,
            "excursions": len(runs), "longest_samples": max(runs, default=0)}
    assert math.isclose(d[key]["limit"], want.pop("limit"), rel_tol=1e-7), d[key]
    assert {k: d[key][k] for k in want} == want, (key, d[key], want)
EOF
}

check "whole file" check_json "$data/sample.smpq" 0 599 0 1
as_model "$data/sample.smpq" 86 "$tmp/air.smpq"
check "around the over-range sample in knots" check_json "$tmp/air.smpq" 240 260 2 1.944
check "the over-range sample alone" check_json "$data/sample.smpq" 250 250 0 1
check "default range is the whole file" test "$("$cli" stats "$data/sample.smpq" --json)" = \
  "$("$cli" stats "$data/sample.smpq" --first 0 --last 599 --json)"
"$cli" stats "$data/sample.smpq" --first 250 --last 250 --json >"$tmp/ol.json"
check "null figures" grep -q '"min": null, "min_index": null' "$tmp/ol.json"

make_smpq "$tmp/fast.smpq" 1 4000 21000 22000 45000 3000 12000 12000 19000 20000 20001 4999 5000
check "fast sampling, runs and limits" check_json "$tmp/fast.smpq" 1 11 0 1
as_model "$tmp/fast.smpq" 86 "$tmp/fast-air.smpq"
check "fast sampling in ft/min" check_json "$tmp/fast-air.smpq" 0 4 1 196.87
"$cli" export "$tmp/fast.smpq" --format csv -o "$tmp/fast.csv"
"$cli" stats "$tmp/fast.smpq" --first 1 --last 11 --json >"$tmp/fast.json"
check "start and end as the CSV writes them" python3 - "$tmp/fast.csv" "$tmp/fast.json" <<'EOF'
import csv, json, sys
rows = list(csv.reader(open(sys.argv[1], newline="")))
d = json.load(open(sys.argv[2]))
assert (d["start"], d["end"]) == (rows[2][1], rows[12][1]) == ("2026-03-29T01:59:58.0025+00:00", "2026-03-29T01:59:58.0275+00:00"), d
EOF

"$cli" stats "$tmp/air.smpq" --first 240 --last 260 --unit 1 >"$tmp/s.txt"
check "text range line" grep -q '^Range:       240 \.\. 260 (21 samples)$' "$tmp/s.txt"
check "text alarm line" grep -q '^AlarmHigh:   above 3937.4 ft/min: 1 sample, 2 s, 1 excursion, longest 1 sample$' "$tmp/s.txt"

# Several files: one object per file; compared runs over their samples aligned inside A's span.
python3 - "$tmp" <<'EOF'
import struct, sys
def write(path, interval, fast, second, samples):
    header = bytearray(64)
    struct.pack_into("<Ii", header, 12, 0 if fast else interval, 2026)
    struct.pack_into("<ff", header, 20, 5.0, 20.0)
    header[28:33] = bytes([3, 29, 10, 0, second])
    header[51] = 0x12 if fast else 0x02
    with open(path, "wb") as f:
        f.write(struct.pack("<iiidii", len(samples), -1, -1, 0.0, 0, 710) + header)
        f.write(struct.pack(f"<{len(samples)}H", *samples))
t = sys.argv[1]
write(f"{t}/a.smpq", 2, False, 0, [(i * 977) % 30000 for i in range(50)])
write(f"{t}/b.smpq", 1, False, 10, [(i * 1231) % 30000 if i % 17 else 45000 for i in range(120)])
write(f"{t}/c.smpq", 0, True, 20, [(i * 37) % 30000 for i in range(30000)])
write(f"{t}/d.smpq", 5, False, 59, [7000] * 3)
EOF
check_several() { # align
  "$cli" stats "$tmp/a.smpq" "$tmp/b.smpq" "$tmp/c.smpq" "$tmp/d.smpq" --first 5 --last 30 \
    --align "$1" --json >"$tmp/several.json" &&
  "$cli" stats "$tmp/a.smpq" --first 5 --last 30 --json >"$tmp/alone.json" &&
  python3 - "$tmp" "$1" <<'EOF'
import json, math, struct, sys
t, align = sys.argv[1], sys.argv[2]
f32 = lambda x: struct.unpack("<f", struct.pack("<f", x))[0]
def load(path):
    raw = open(path, "rb").read()
    n = struct.unpack_from("<i", raw, 0)[0]
    fast = raw[28 + 51] & 0xF0 == 0x10
    dt = f32(0.0025) if fast else float(struct.unpack_from("<I", raw, 28 + 12)[0])
    return dt, raw[28 + 32], struct.unpack_from(f"<{n}H", raw, 92)
d = json.load(open(f"{t}/several.json"))
files = [f"{t}/{n}.smpq" for n in "abcd"]
assert [o["file"] for o in d] == files, d
alone = json.load(open(f"{t}/alone.json"))
assert {k: v for k, v in d[0].items() if k != "file"} == alone and list(d[0])[0] == "file"
dta, seca, _ = load(files[0])
lo, hi = 5 * dta, 30 * dta
for path, o in zip(files[1:], d[1:]):
    dt, sec, s = load(path)
    off = (sec - seca) if align == "clock" else 0.0
    inside = [j for j in range(len(s)) if lo <= j * dt + off <= hi]
    assert o["count"] == len(inside), (path, o["count"], len(inside))
    if not inside:
        assert [o[k] for k in ("first", "last", "start", "min", "max", "mean")] == [None] * 6, o
        continue
    assert (o["first"], o["last"]) == (inside[0], inside[-1]), o
    assert o["duration_s"] == (inside[-1] - inside[0]) * dt, o
    valid = [s[j] / 1000.0 for j in inside if s[j] <= 31000]
    assert o["over_range"] == len(inside) - len(valid), o
    assert (o["min"], o["max"]) == (min(valid), max(valid)), o
    assert math.isclose(o["mean"], sum(valid) / len(valid), rel_tol=1e-9), o
EOF
}
check "several files at start" check_several start
check "several files by clock" check_several clock
"$cli" stats "$tmp/a.smpq" "$tmp/b.smpq" --first 5 --last 30 >"$tmp/several.txt"
check "text for several files names each" test "$(grep -c '\.smpq$' "$tmp/several.txt")" -eq 2
args=("$tmp/a.smpq"); for i in 1 2 3 4 5 6 7 8 9; do args+=("$tmp/b.smpq"); done
"$cli" stats "${args[@]}" >/dev/null 2>&1; rc=$?
check "nine compared runs exit 2" test $rc -eq 2
"$cli" stats "$tmp/a.smpq" "$tmp/b.smpq" --align noon >/dev/null 2>&1; rc=$?
check "a bad --align exits 2" test $rc -eq 2
"$cli" stats "$tmp/a.smpq" "$tmp/missing.smpq" 2>"$tmp/err"; rc=$?
check "a missing compared file exits 1" test $rc -eq 1
check "and names the file" grep -q 'missing\.smpq' "$tmp/err"

# Usage errors exit 2, other errors 1, each with a message.
for args in "--first 600" "--last 600" "--first 10 --last 5" "--first -1" "--last 1x" "--unit 5" \
            "--first" "--bogus"; do
  "$cli" stats "$data/sample.smpq" $args >/dev/null 2>"$tmp/err"; rc=$?
  check "'$args' exits 2" test $rc -eq 2
  check "'$args' says why" test -s "$tmp/err"
done
"$cli" stats >/dev/null 2>&1; rc=$?
check "no file exits 2" test $rc -eq 2
printf 'short' >"$tmp/bad.smpq"
"$cli" stats "$tmp/bad.smpq" 2>"$tmp/err"; rc=$?
check "bad file exits 1" test $rc -eq 1
check "bad file message" grep -q '^Failed to open document\.$' "$tmp/err"
make_smpq "$tmp/empty.smpq" 0
"$cli" stats "$tmp/empty.smpq" 2>"$tmp/err"; rc=$?
check "empty recording exits 1" test $rc -eq 1
check "empty recording message" grep -q 'no samples' "$tmp/err"
"$cli" stats "$tmp/empty.smpq" --first 0 2>/dev/null; rc=$?
check "a range in an empty recording exits 2" test $rc -eq 2
check "help" "$cli" stats --help >/dev/null

[ $fails -eq 0 ] && echo "all stats checks passed"
exit $fails
