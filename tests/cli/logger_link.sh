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

# A page read that keeps waiting is told after a few seconds; Ctrl+C ends it through the
# exchange's own steps (the link is closed) and says where it stopped.
start_sim stall.sock --stall-after $((3 + 64 + 3 + 100))
"$cli" download -o "$tmp/stall.smpq" --backend "socket:$tmp/stall.sock" >"$tmp/out" 2>"$tmp/err" &
dl=$!
for _ in $(seq 150); do grep -q 'Still waiting' "$tmp/err" && break; sleep 0.1; done
check "a waiting page read is told" grep -qx 'Still waiting for page 1 of 1 from the logger (5 s of at most 60 s); Ctrl+C stops.' "$tmp/err"
kill -INT $dl; wait $dl; rc=$?
check "Ctrl+C exits 130" test $rc -eq 130
check "Ctrl+C keeps the read failure message" grep -qx 'Failed reading data from the datalogger.' "$tmp/err"
check "Ctrl+C says where it stopped" grep -qx 'reading page 1 of 1: interrupted after 100 of 1216 bytes' "$tmp/err"
check "nothing written after Ctrl+C" test ! -e "$tmp/stall.smpq"

# Failures say what failed on the line after the fixed message.
start_sim vanish2.sock --vanish-after 500
"$cli" download -o "$tmp/v.smpq" --backend "socket:$tmp/vanish2.sock" 2>"$tmp/err"
check "a vanished logger's cause" grep -qx 'reading page 1 of 1: the logger was unplugged after 430 of 1216 bytes' "$tmp/err"
"$cli" probe --backend "socket:$tmp/none" 2>"$tmp/err" >/dev/null
check "probe's cause" grep -qx 'opening the logger: no logger found' "$tmp/err"

# Several loggers on the bus (two bridges in a umockdev test bed): probe, download and setup
# refuse without --device and list them; a location that is not there is refused too.
if command -v umockdev-run >/dev/null && ! "$cli" probe --backend usb 2>&1 | grep -q 'no usb backend'; then
  bridge() { # devnum, port, serial
    printf 'P: /devices/usb1/1-%s\nN: bus/usb/001/00%s\nE: SUBSYSTEM=usb\nE: DRIVER=usb\n' "$2" "$1"
    printf 'E: BUSNUM=001\nE: DEVNUM=00%s\nE: DEVNAME=/dev/bus/usb/001/00%s\nE: DEVTYPE=usb_device\n' "$1" "$1"
    printf 'A: bConfigurationValue=1\\n\nA: busnum=1\\n\nA: devnum=%s\\n\nA: speed=12\\n\n' "$1"
    [ -n "$3" ] && printf 'A: serial=%s\\n\n' "$3"
    printf 'H: descriptors=1201000200000040c41061ea0001010203010902200001010080320904000002ff0000020705810240000007050102400000\n\n'
  }
  { bridge 2 1 QM0001; bridge 3 4 ""; } >"$tmp/two.umockdev"
  # umockdev preloads its library; under AddressSanitizer the runtime then is not first.
  bed() {
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0:detect_leaks=0" \
      umockdev-run -d "$tmp/two.umockdev" -- "$cli" "$@"
  }
  printf 'Several loggers are connected; choose one with --device:\n  1:1, serial QM0001\n  1:4\n' >"$tmp/several"
  for cmd in probe "download -o $tmp/two.smpq" "setup --mode instant"; do
    bed $cmd >"$tmp/out" 2>"$tmp/err"; rc=$?
    check "$cmd with two loggers exits 2" test $rc -eq 2
    check "$cmd with two loggers lists them" diff "$tmp/err" "$tmp/several"
  done
  check "no recording without a choice" test ! -e "$tmp/two.smpq"
  bed probe --device 1:9 >"$tmp/out" 2>"$tmp/err"; rc=$?
  check "an absent --device exits 1" test $rc -eq 1
  check "an absent --device is Not Connected" test "$(cat "$tmp/out")" = "Not Connected"
  check "an absent --device lists what is there" grep -qx 'No logger at 1:9. Connected:' "$tmp/err"
  # The test bed answers no transfers, so opening the chosen bridge fails: at that bridge.
  bed probe --device QM0001 >"$tmp/out" 2>"$tmp/err"; rc=$?
  check "--device by serial reaches the bridge" grep -q '^opening the logger: ' "$tmp/err"
  check "--device by serial is not refused as a choice" test $rc -eq 1
fi

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
