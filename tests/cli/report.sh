#!/usr/bin/env bash
# quillmark-cli report: every figure of the PDF, read back with pdftotext, against stats
# (text and --json) over recordings and ranges; page sizes, page numbers, margins and
# overlaps from the words' boxes; embedded fonts; usage errors.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC XDG_CONFIG_HOME=$tmp/config SOURCE_DATE_EPOCH=1796620503
for tool in pdftotext pdfinfo pdffonts; do
  command -v $tool >/dev/null || { echo "FAIL: $tool missing (poppler-utils)"; exit 1; }
done

# A recording file: PATH MODEL FAST LOW HIGH SAMPLES... (the logger name holds an escape).
make_smpq() {
  python3 - "$@" <<'PY'
import struct, sys
path, model, fast, low, high = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "1", float(sys.argv[4]), float(sys.argv[5])
samples = []
for tok in sys.argv[6:]:  # VALUExCOUNT
    v, _, n = tok.partition("x")
    samples += [int(v)] * int(n or 1)
header = bytearray(64)
struct.pack_into("<Ii", header, 12, 0 if fast else 2, 2026)
struct.pack_into("<ff", header, 20, low, high)
header[28:33] = bytes([3, 29, 1, 59, 58])
header[35:44] = b"Room\x1b[2J\\"
header[51] = 0x12 if fast else 0x02
mx = max(range(len(samples)), key=lambda i: (samples[i], i))
mn = min(range(len(samples)), key=lambda i: (samples[i], -i))
with open(path, "wb") as f:
    f.write(struct.pack("<iiidii", len(samples), mx, mn, sum(samples) / 1000 / len(samples), 0, model) + header)
    f.write(struct.pack(f"<{len(samples)}H", *samples))
PY
}
sixty=() # 60 high and 30 low excursions
for k in $(seq 60); do sixty+=(10000x9 $((21000 + k))x3); [ $((k % 2)) = 0 ] && sixty+=(4000x2); done
make_smpq "$tmp/calm.smpq" 710 0 5 20 10000x50 12000x50 9000
make_smpq "$tmp/sixty.smpq" 710 0 5 20 "${sixty[@]}"
make_smpq "$tmp/over.smpq" 711 0 5 20 45000x300
make_smpq "$tmp/fast.smpq" 710 1 5 20 10000x500 25000x401 3000x7 10000x400
make_smpq "$tmp/air.smpq" 86 0 2 8 5000x100 9000x20 1000x30 45000x5 5000x100
cp "$data/sample.smpq" "$tmp/sample.smpq"

# The PDF's text, one line per printed line, runs of spaces as one.
text_of() { pdftotext -raw "$@" - | tr -d '\f' | sed -e 's/  */ /g' -e 's/^ //' -e 's/ $//'; }

# file | options | pages expected (0: not checked)
cases=(
  "calm|--unit 0|1"
  "calm|--first 10 --last 60 --page letter|1"
  "sixty|--page a4|2"
  "sixty|--first 100 --last 400 --page letter|0"
  "over|--title 'Over range'|0"
  "fast|--page letter|0"
  "fast|--first 900 --last 1300|0"
  "air|--unit 1|0"
  "air|--unit 2 --first 90 --last 130|0"
  "air|--unit 3 --page letter|0"
  "air|--unit 4 --first 120 --last 120|0"
  "sample|--page a4|0"
  "sample|--first 240 --last 260 --page letter|0"
)
for row in "${cases[@]}"; do
  IFS='|' read -r name opts want_pages <<<"$row"
  in=$tmp/$name.smpq out=$tmp/$name.pdf what="$name $opts"
  eval "args=($opts)"
  "$cli" report "$in" -o "$out" "${args[@]}" 2>"$tmp/err"; rc=$?
  check "$what: exit 0 (rc $rc: $(cat "$tmp/err"))" test $rc -eq 0 || continue
  stat_opts=$(sed -e 's/--page [a-z0-9]*//' -e 's/--title .*//' <<<"$opts")
  # shellcheck disable=SC2086
  "$cli" stats "$in" $stat_opts >"$tmp/stats.txt" && "$cli" stats "$in" $stat_opts --json >"$tmp/stats.json"
  "$cli" info "$in" >"$tmp/info.txt"
  text_of "$out" >"$tmp/pdf.txt"

  # Every stats line, label and value, is a line of the report.
  while IFS= read -r line; do
    line=$(sed -e 's/  */ /g' <<<"$line")
    check "$what: the report says '$line'" grep -qxF -- "$line" "$tmp/pdf.txt"
  done <"$tmp/stats.txt"
  name_line=$(sed -n 's/^LoggerName: *//p' "$tmp/info.txt")
  check "$what: logger name as info shows it" grep -qxF "Logger name: $name_line" "$tmp/pdf.txt"
  check "$what: creation time and version" grep -qxF "Created 2026-12-07T05:15:03+00:00 by Quillmark ${QUILLMARK_VERSION:?}" "$tmp/pdf.txt"
  title="Recording report"; [[ $opts == *--title* ]] && eval "title=${opts#*--title }"
  check "$what: title first" test "$(head -1 "$tmp/pdf.txt")" = "$title"

  # Figures derived from stats --json, the excursion table and the order of the headings.
  python3 - "$tmp/stats.json" "$tmp/pdf.txt" "$in" <<'PY' || { echo "FAIL: $what: derived figures"; fails=$((fails + 1)); }
import json, re, struct, sys
d, lines, path = json.load(open(sys.argv[1])), open(sys.argv[2]).read().split("\n"), sys.argv[3]
raw = open(path, "rb").read()
fast = raw[28 + 51] & 0xF0 == 0x10
dt = struct.unpack("<f", struct.pack("<f", 0.0025))[0] if fast else float(struct.unpack_from("<I", raw, 28 + 12)[0])
def sec(v):
    s = f"{v:.4f}".rstrip("0").rstrip(".")
    return s
heads = [lines.index(h) for h in ("Run", "Statistics", "Alarms", "Plot")]
assert heads == sorted(heads), heads
for key, side in (("alarm_high", "above"), ("alarm_low", "below")):
    a = d[key]
    pct = f"{100.0 * a['samples'] / d['count']:.1f} %"
    want = [f"Time {side}: {sec(a['seconds'])} s, {pct} of the range",
            f"Longest {side}: {a['longest_samples']} sample{'' if a['longest_samples'] == 1 else 's'}, {sec(a['longest_samples'] * dt)} s"]
    for w in want:
        assert w in lines, (w, [l for l in lines if side in l])
total = d["alarm_high"]["excursions"] + d["alarm_low"]["excursions"]
rows = [l.split(" ") for l in lines if re.match(r"(High|Low) \d{4}-", l)]
assert len(rows) == min(50, total), (len(rows), total)
assert sum(l.startswith("Kind Start End Samples") for l in lines) >= (1 if total else 0)
assert ("No excursions." in lines) == (total == 0)
more = [l for l in lines if l.startswith("\u2026 and ")]
assert more == ([f"\u2026 and {total - 50} more"] if total > 50 else []), more
for r in rows:  # kind start end samples duration extreme
    assert r[1] >= d["start"] and r[2] <= d["end"] and r[1] <= r[2], r
    assert r[4] == sec(int(r[3]) * dt), r
PY

  # Pages: size, "Page k of n" on each, margins of at least 15 mm, no words overlapping.
  pages=$(pdfinfo "$out" | sed -n 's/^Pages: *//p')
  [ "$want_pages" = 0 ] || check "$what: $want_pages pages (got $pages)" test "$pages" = "$want_pages"
  size=a4; [[ $opts == *letter* ]] && size=letter
  check "$what: page size $size" grep -qi "^Page size:.*($size)" <(pdfinfo "$out")
  for k in $(seq "$pages"); do
    check "$what: 'Page $k of $pages'" grep -qxF "Page $k of $pages" <(text_of -f "$k" -l "$k" "$out")
  done
  pdftotext -bbox "$out" "$tmp/words.html"
  python3 - "$tmp/words.html" <<'PY' || { echo "FAIL: $what: layout"; fails=$((fails + 1)); }
import re, sys
margin = 15 * 72 / 25.4
for page in re.findall(r'<page width="([\d.]+)" height="([\d.]+)">(.*?)</page>', open(sys.argv[1]).read(), re.S):
    w, h = float(page[0]), float(page[1])
    words = [tuple(map(float, m[:4])) + (m[4],) for m in
             re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<', page[2])]
    for x0, y0, x1, y1, t in words:
        assert x0 >= margin and y0 >= margin and x1 <= w - margin and y1 <= h - margin, (t, x0, y0, x1, y1)
    # Boxes may touch (line spacing), never overlap by more than a sliver.
    for i, a in enumerate(words):
        for b in words[i + 1:]:
            ox = min(a[2], b[2]) - max(a[0], b[0]); oy = min(a[3], b[3]) - max(a[1], b[1])
            assert ox <= 0.5 or oy <= 0.5, (a, b)
PY
  check "$what: every font embedded" test -z "$(pdffonts "$out" | tail -n +3 | awk '$(NF-4) != "yes"')"
done

# A long excursion table breaks across pages with its header on each.
text_of "$tmp/sixty.pdf" >"$tmp/pdf.txt"
check "sixty: the table header on both pages" test "$(grep -c '^Kind Start End Samples' "$tmp/pdf.txt")" -eq 2

# Usage errors exit 2 before anything is written; bad files exit 1.
bad=(
  "2|$tmp/calm.smpq"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --page a5"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --unit 5"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --unit 1"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --first 60 --last 10"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --first 101"
  "2|$tmp/calm.smpq -o $tmp/x.pdf --first x"
  "1|$tmp/missing.smpq -o $tmp/x.pdf"
  "1|$tmp/calm.pdf -o $tmp/x.pdf"
)
for row in "${bad[@]}"; do
  # shellcheck disable=SC2086
  "$cli" report ${row#*|} >/dev/null 2>"$tmp/err"; rc=$?
  check "report ${row#*|}: exit ${row%%|*} (rc $rc)" test $rc -eq "${row%%|*}"
  check "report ${row#*|}: says why" test -s "$tmp/err"
  check "report ${row#*|}: nothing written" test ! -e "$tmp/x.pdf"
done

[ $fails -eq 0 ] && echo "all report checks passed"
exit $fails
