#!/usr/bin/env bash
# quillmark-cli setup, then download, against quillmark-logger-sim: the downloaded header
# holds the uploaded settings and the settings file holds them too.
: "${QUILLMARK_LOGGER_SIM:?}"
source "$(dirname "$0")/harness.bash"
export QUILLMARK_PAGE_WAIT_MS=0 TZ=UTC XDG_CONFIG_HOME="$tmp/config"
ini="$tmp/config/Quillmark/SettingConfig.ini"
ini_value() { grep -a "^$1=" "$ini" | tr -d '\r' | cut -d= -f2; }

# The logger runs 1000 times faster than real time: 100 points at 2 s fill in 0.2 s.
start_sim fast.sock --speed 1000
b="socket:$tmp/fast.sock"
"$cli" setup --mode instant --points 100 --rate 2s --flash-cycle 20 --alarm-flash on \
  --low 1 --high 5 --backend "$b" >"$tmp/out" 2>"$tmp/err"; rc=$?
check "setup exits 0" test $rc -eq 0
check "setup says the logger runs" grep -qx 'Datalogger is running...' "$tmp/out"
check "settings file written" test -f "$ini"
check "points saved" test "$(ini_value SAMPLEPOINTS)" = 1
check "rate saved" test "$(ini_value SAMPLERATE)" = 0
check "mode saved" test "$(ini_value MODEL)" = 2
check "flash cycle saved" test "$(ini_value FLASHCYCLE)" = 1
check "alarm flash saved" test "$(ini_value ALARMFLASH)" = 1
check "low alarm saved" test "$(ini_value LOWALARM)" = 1.000000
check "high alarm saved" test "$(ini_value HIGHALARM)" = 5.000000

sleep 0.5
"$cli" download -o "$tmp/run.smpq" --backend "$b" >"$tmp/out" 2>"$tmp/err"; rc=$?
check "download exits 0" test $rc -eq 0
check "all 100 points logged" grep -qx '100 points finished!' "$tmp/out"
"$cli" info "$tmp/run.smpq" >"$tmp/info"
check "header holds the rate" grep -q '^SampleRate:  2 second$' "$tmp/info"
check "header holds the low alarm" grep -q '^AlarmLow:    1.00 V$' "$tmp/info"
check "header holds the high alarm" grep -q '^AlarmHigh:   5.00 V$' "$tmp/info"
check "header holds the sample count" grep -q '^Samples:     100$' "$tmp/info"
# Raw header bytes: samplePoints 100 at offset 28+4, LED control 0x80|0x14 at 28+34, mode 2 at 28+51.
check "header holds points, LED control and mode" test \
  "$(od -An -tx1 -j32 -N4 "$tmp/run.smpq" | tr -d ' ')$(od -An -tx1 -j62 -N1 "$tmp/run.smpq" | tr -d ' ')$(od -An -tx1 -j79 -N1 "$tmp/run.smpq" | tr -d ' ')" \
  = "64000000"94"02"

# Manual start: nothing is logged until the button is pressed.
"$cli" setup --mode manual --backend "$b" >"$tmp/out"; rc=$?
check "manual setup exits 0" test $rc -eq 0
check "manual start message" grep -qx 'To start logging, you must press the button once in housing of datalogger.' "$tmp/out"
check "manual mode saved" test "$(ini_value MODEL)" = 1

# Refusals and faults leave the settings file as it was.
cp "$ini" "$tmp/before.ini"
"$cli" setup --low 9 --high 3 --backend "$b" 2>"$tmp/err"; rc=$?
check "high below low refused" test $rc -eq 1
check "high below low message" grep -q '^High Alarm must be larger than Low Alarm!$' "$tmp/err"
"$cli" setup --points 50 --rate '2.5ms(400Hz)' --backend "$b" 2>"$tmp/err"; rc=$?
check "400 Hz with 50 points refused" test $rc -eq 1
check "400 Hz refusal message" grep -q '^Please select other points!$' "$tmp/err"
"$cli" setup --mode instant --backend "socket:$tmp/none" 2>"$tmp/err"; rc=$?
check "no logger exits 1" test $rc -eq 1
check "no logger message" grep -qx 'Connecting fault. Ensure logger inserted and try again.' "$tmp/err"
check "no logger cause on the next line" test "$(sed -n 2p "$tmp/err")" = 'opening the logger: no logger found'
start_sim noack.sock --never-ack
"$cli" setup --mode instant --backend "socket:$tmp/noack.sock" 2>"$tmp/err"; rc=$?
check "no acknowledge exits 1" test $rc -eq 1
check "no acknowledge message" grep -qx 'Failed writing data to the datalogger.' "$tmp/err"
check "no acknowledge cause" grep -qE '^waiting for the acknowledge byte: timed out after 1[0-9] s, nothing arrived$' "$tmp/err"
check "settings file unchanged after refusals and faults" cmp -s "$ini" "$tmp/before.ini"
"$cli" setup --points 77 --backend "$b" 2>/dev/null; rc=$?
check "points outside the table exit 2" test $rc -eq 2
check "setup --help" "$cli" setup --help >/dev/null

# A settings file that cannot be read is no reason to upload the defaults: setup stops
# before the logger is touched. The demo logger still holds its recording afterwards.
start_sim untouched.sock
u="socket:$tmp/untouched.sock"
unreadable() { # name, how to make $1/Quillmark/SettingConfig.ini unreadable
  local cfg="$tmp/$1"; mkdir -p "$cfg/Quillmark"; "$2" "$cfg/Quillmark/SettingConfig.ini"
  XDG_CONFIG_HOME="$cfg" timeout 20 "$cli" setup --mode instant --backend "$u" >"$tmp/out" 2>"$tmp/err"
}
for kind in dir:mkdir fifo:mkfifo; do
  unreadable "${kind%%:*}" "${kind#*:}"; rc=$?
  check "unreadable settings ($kind) exit 1" test $rc -eq 1
  check "unreadable settings ($kind) say why" grep -qE "^quillmark-cli setup: .*SettingConfig.ini.*(is a directory|not a regular file)" "$tmp/err"
  check "unreadable settings ($kind) send nothing" grep -qx 'The saved settings cannot be read; nothing was sent to the logger.' "$tmp/err"
done
if [ "$(id -u)" -ne 0 ]; then # root reads any file
  unreadable noperm touch; chmod 000 "$tmp/noperm/Quillmark/SettingConfig.ini"
  XDG_CONFIG_HOME="$tmp/noperm" "$cli" setup --backend "$u" 2>"$tmp/err"; rc=$?
  check "unreadable settings (mode 000) exit 1" test $rc -eq 1
fi
"$cli" download -o "$tmp/untouched.smpq" --backend "$u" >"$tmp/out" 2>"$tmp/err"
check "logger untouched by the refused setups" grep -qx '600 points finished!' "$tmp/out"

# The logger takes the settings but the file cannot be written (it lives on a read-only
# file system): the message says both, and how logging starts is still told.
if [ -r /proc/version ]; then
  mkdir -p "$tmp/ro/Quillmark"; ln -s /proc/version "$tmp/ro/Quillmark/SettingConfig.ini"
  XDG_CONFIG_HOME="$tmp/ro" "$cli" setup --mode instant --backend "$b" >"$tmp/out" 2>"$tmp/err"; rc=$?
  check "unsaved settings exit 1" test $rc -eq 1
  check "unsaved settings still tell how logging starts" grep -qx 'Datalogger is running...' "$tmp/out"
  check "unsaved settings message says both" grep -q '^The logger has taken the settings, but they could not be saved: Cannot create .*SettingConfig.ini' "$tmp/err"
fi

if [ $fails -ne 0 ]; then echo "$fails check(s) failed"; exit 1; fi
echo "all checks passed"
