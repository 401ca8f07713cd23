#!/usr/bin/env bash
# quillmark-cli info on header values a file may hold but no logger writes: non-finite
# numbers and control characters in the logger name.
source "$(dirname "$0")/harness.bash"
export TZ=UTC

# Average NaN, low alarm -inf, high alarm +inf; the name carries an escape sequence, a
# quote, a backslash and a byte above ASCII.
python3 - "$tmp/odd.smpq" <<'PY'
import struct, sys
header = bytearray(64)
struct.pack_into('<I', header, 12, 1)
struct.pack_into('<i', header, 16, 2026)
struct.pack_into('<ff', header, 20, float('-inf'), float('inf'))
header[28:33] = bytes([12, 7, 5, 15, 2])
header[35:51] = b'\x1b[31mQ"\\\xe9\x07\x00'.ljust(16, b'\x00')
with open(sys.argv[1], 'wb') as f:
    f.write(struct.pack('<iiidii', 1, 0, 0, float('nan'), 0, 710) + bytes(header) + struct.pack('<H', 1234))
PY

"$cli" info "$tmp/odd.smpq" --json >"$tmp/odd.json"; rc=$?
check "info --json exits 0" test $rc -eq 0
check "info --json is strict JSON with null for non-finite numbers" python3 -c '
import json, sys
def refuse(c): raise ValueError("non-JSON constant " + c)
d = json.load(open(sys.argv[1]), parse_constant=refuse)
assert d["average"] is None and d["alarmLow"] is None and d["alarmHigh"] is None, d
assert d["loggerName"] == "\x1b[31mQ\"\\\u00e9\x07", repr(d["loggerName"])
' "$tmp/odd.json"

"$cli" info "$tmp/odd.smpq" >"$tmp/odd.txt"; rc=$?
check "info exits 0" test $rc -eq 0
check "info prints no control characters" test "$(tr -d '\n' <"$tmp/odd.txt" | tr -d '\040-\176' | wc -c)" -eq 0
check "info shows the name escaped" grep -qF 'LoggerName:  \x1b[31mQ"\\\xe9\x07' "$tmp/odd.txt"

[ $fails -eq 0 ] && echo "all info checks passed"
exit $fails
