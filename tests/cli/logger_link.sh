#!/usr/bin/env bash
# quillmark-cli probe and download against quillmark-logger-sim over a Unix socket.
: "${QUILLMARK_LOGGER_SIM:?}"
source "$(dirname "$0")/harness.bash"
export QUILLMARK_PAGE_WAIT_MS=0 TZ=UTC XDG_CONFIG_HOME="$tmp/config"

# No logger at all.
"$cli" probe --backend "socket:$tmp/none" >"$tmp/out" 2>"$tmp/err"; rc=$?
check "probe without logger exits 1" test $rc -eq 1
check "probe without logger says Not Connected" test "$(cat "$tmp/out")" = "Not Connected"
"$cli" download -o "$tmp/none.smpq" --backend "socket:$tmp/none" 2>"$tmp/err"; rc=$?
check "download without logger exits 1" test $rc -eq 1
check "download without logger message" grep -qx 'Failed reading data from the datalogger.' "$tmp/err"
check "no file without logger" test ! -e "$tmp/none.smpq"

# The demo recording.
start_sim demo.sock
check "probe finds the simulator" test "$("$cli" probe --backend "socket:$tmp/demo.sock")" = "Connected"
"$cli" download -o "$tmp/demo.smpq" --txt "$tmp/demo.txt" --xls "$tmp/demo.xls" \
  --backend "socket:$tmp/demo.sock" >"$tmp/out" 2>"$tmp/err"; rc=$?
check "download exits 0" test $rc -eq 0
check "download reports the points" grep -qx '600 points finished!' "$tmp/out"
check "no progress bar when stderr is not a terminal" test ! -s "$tmp/err"
check "recording file size" test "$(stat -c %s "$tmp/demo.smpq")" -eq $((92 + 600 * 2))
check "text data file written" test -s "$tmp/demo.txt"
check "spreadsheet export written" test -s "$tmp/demo.xls"
check "recording file names the demo logger" grep -q 'Demo' <("$cli" info "$tmp/demo.smpq")

# On a terminal the download draws a progress bar from a fifth of the range to the full range.
if command -v script >/dev/null; then
  script -qec "'$cli' download -o '$tmp/tty.smpq' --backend 'socket:$tmp/demo.sock'" /dev/null \
    >"$tmp/tty.out" 2>&1
  check "progress bar starts at 20%" grep -q ' 20%' "$tmp/tty.out"
  check "progress bar ends at 100%" grep -q '] 100%' "$tmp/tty.out"
fi

# Faults.
start_sim empty.sock --empty
"$cli" download -o "$tmp/empty.smpq" --backend "socket:$tmp/empty.sock" 2>"$tmp/err"; rc=$?
check "empty logger exits 1" test $rc -eq 1
check "empty logger message" grep -qx 'Datalogger internal memory currently empty.' "$tmp/err"
check "nothing written for an empty logger" test ! -e "$tmp/empty.smpq"

start_sim vanish.sock --vanish-after 500
"$cli" download -o "$tmp/vanish.smpq" --backend "socket:$tmp/vanish.sock" 2>"$tmp/err"; rc=$?
check "vanishing logger exits 1" test $rc -eq 1
check "vanishing logger message" grep -qx 'Failed reading data from the datalogger.' "$tmp/err"
check "nothing written for a vanished logger" test ! -e "$tmp/vanish.smpq"

start_sim bad.sock --bad-recorded-points 99999
"$cli" download -o "$tmp/bad.smpq" --backend "socket:$tmp/bad.sock" >"$tmp/out"; rc=$?
check "bad recorded points still downloads" test $rc -eq 0
check "bad recorded points are cut to the stored samples" grep -qx '600 points finished!' "$tmp/out"

# Usage errors.
"$cli" download --backend "socket:$tmp/demo.sock" 2>/dev/null; rc=$?
check "download without -o exits 2" test $rc -eq 2
"$cli" probe --backend serial 2>"$tmp/err"; rc=$?
check "unknown backend exits 2" test $rc -eq 2
check "unknown backend message" grep -q "unknown backend 'serial'" "$tmp/err"
check "probe --help" "$cli" probe --help >/dev/null
check "download --help" "$cli" download --help >/dev/null
check "in-process simulator" test "$("$cli" probe --backend sim)" = "Connected"

if [ $fails -ne 0 ]; then echo "$fails check(s) failed"; exit 1; fi
echo "all checks passed"
