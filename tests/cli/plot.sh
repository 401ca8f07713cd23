#!/usr/bin/env bash
# quillmark-cli plot: PNG and SVG without a display, image sizes, the time window and Fit
# Values change the picture, usage errors and failures.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC
export XDG_CONFIG_HOME=$tmp/config # the plot colours come from the settings file
# No display of any kind: the command must choose the offscreen platform itself.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }
differ() { ! cmp -s "$1" "$2"; }

# Prints "WIDTHxHEIGHT" of a PNG, and fails unless its pixels hold more than the background.
png_info() {
  python3 - "$1" <<'EOF2'
import struct, sys, zlib
raw = open(sys.argv[1], "rb").read()
assert raw[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
w, h = struct.unpack(">II", raw[16:24])
pos, idat = 8, b""
while pos < len(raw):
    n, kind = struct.unpack(">I4s", raw[pos:pos + 8])
    if kind == b"IDAT":
        idat += raw[pos + 8:pos + 8 + n]
    pos += 12 + n
assert len(set(zlib.decompress(idat))) > 16, "a blank picture"
print(f"{w}x{h}")
EOF2
}

headless "$cli" plot "$data/sample.smpq" -o "$tmp/all.png" 2>"$tmp/err"; rc=$?
check "PNG with no display exits 0" test $rc -eq 0
check "nothing on stderr" test ! -s "$tmp/err"
check "PNG is 1280x800 by default" test "$(png_info "$tmp/all.png")" = 1280x800
as_model "$data/sample.smpq" 86 "$tmp/air.smpq"
headless "$cli" plot "$tmp/air.smpq" --size 640x400 --unit 2 -o "$tmp/small.PNG"
check "PNG of the given size" test "$(png_info "$tmp/small.PNG")" = 640x400

headless "$cli" plot "$data/sample.smpq" --size 800x500 -o "$tmp/all.svg"; rc=$?
check "SVG with no display exits 0" test $rc -eq 0
check "SVG of the given size" grep -q 'viewBox="0 0 800 500"' "$tmp/all.svg"
check "SVG holds the drawing" test "$(grep -c '<path\|<polyline' "$tmp/all.svg")" -gt 10

# --scale draws the same picture at a finer resolution (the window's test checks that it is
# drawn anew, not enlarged).
headless "$cli" plot "$data/sample.smpq" --size 640x400 --scale 2 -o "$tmp/sharp.png"; rc=$?
check "--scale 2 exits 0" test $rc -eq 0
check "--scale 2 doubles each side" test "$(png_info "$tmp/sharp.png")" = 1280x800
headless "$cli" plot "$data/sample.smpq" --size 640x400 --scale 1.5 -o "$tmp/sharp15.png"
check "--scale 1.5 rounds each side" test "$(png_info "$tmp/sharp15.png")" = 960x600

# The same picture twice; a time window and Fit Values each give another.
headless "$cli" plot "$data/sample.smpq" -o "$tmp/again.png"
check "drawing is repeatable" cmp -s "$tmp/all.png" "$tmp/again.png"
headless "$cli" plot "$data/sample.smpq" --first 200 --last 300 -o "$tmp/window.png"
check "time window is drawn" test "$(png_info "$tmp/window.png")" = 1280x800
check "time window changes the picture" differ "$tmp/all.png" "$tmp/window.png"
headless "$cli" plot "$data/sample.smpq" --first 200 --last 300 --fit -o "$tmp/fit.png"; rc=$?
check "--fit exits 0" test $rc -eq 0
check "--fit changes the value axis" differ "$tmp/window.png" "$tmp/fit.png"

# The application's saved colours are used.
mkdir -p "$tmp/config/Quillmark"
printf '[K52R_BKCOLOR]\r\nRVALUE=10\r\nGVALUE=200\r\nBVALUE=30\r\n' >"$tmp/config/Quillmark/SettingConfig.ini"
headless "$cli" plot "$data/sample.smpq" --size 640x400 -o "$tmp/green.svg"
check "saved background colour" grep -qi 'fill="#0ac81e"' "$tmp/green.svg"
rm -r "$tmp/config/Quillmark"

# Compared runs: another interval and start time, drawn in the first palette colour, placed
# by elapsed time from the start or by the clock.
python3 - "$data/sample.smpq" "$tmp/other.smpq" <<'EOF2'
import struct, sys
raw = bytearray(open(sys.argv[1], "rb").read())
struct.pack_into("<I", raw, 28 + 12, 1)  # 1 s instead of the file's interval
raw[28 + 31] = (raw[28 + 31] + 10) % 60  # ten minutes later
open(sys.argv[2], "wb").write(raw)
EOF2
headless "$cli" plot "$data/sample.smpq" "$tmp/other.smpq" -o "$tmp/two.png"; rc=$?
check "two files exit 0" test $rc -eq 0
check "two files: PNG of the default size" test "$(png_info "$tmp/two.png")" = 1280x800
check "a compared run changes the picture" differ "$tmp/all.png" "$tmp/two.png"
headless "$cli" plot "$data/sample.smpq" "$tmp/other.smpq" --align clock -o "$tmp/clock.png"
check "by clock differs from at start" differ "$tmp/two.png" "$tmp/clock.png"
headless "$cli" plot "$data/sample.smpq" "$tmp/other.smpq" --size 800x500 -o "$tmp/two.svg"
check "the first compared run in the first palette colour" grep -qi 'stroke="#e69f00"' "$tmp/two.svg"
args=(); for i in 1 2 3 4 5 6 7 8 9; do args+=("$tmp/other.smpq"); done
headless "$cli" plot "$data/sample.smpq" "${args[@]}" -o "$tmp/x.png" 2>"$tmp/err"; rc=$?
check "nine compared runs exit 2" test $rc -eq 2
headless "$cli" plot "$data/sample.smpq" "$tmp/other.smpq" --align noon -o "$tmp/x.png" 2>/dev/null; rc=$?
check "a bad --align exits 2" test $rc -eq 2
headless "$cli" plot "$data/sample.smpq" "$tmp/gone.smpq" -o "$tmp/x.png" 2>"$tmp/err"; rc=$?
check "a missing compared file exits 1" test $rc -eq 1
check "and names it" grep -q 'gone\.smpq' "$tmp/err"

# Usage errors exit 2, other failures 1, each with a reason.
for args in "--first 600" "--last 600" "--first 10 --last 5" "--first 7 --last 7" "--first -1" \
            "--size 10x10" "--size 640" "--size 640x400x2" "--unit 5" "--bogus" "--last" \
            "--scale 0.5" "--scale 5" "--scale x" "--scale 1e1" "--scale 4 --size 5000x400"; do
  headless "$cli" plot "$data/sample.smpq" -o "$tmp/x.png" $args >/dev/null 2>"$tmp/err"; rc=$?
  check "'$args' exits 2" test $rc -eq 2
  check "'$args' says why" test -s "$tmp/err"
done
headless "$cli" plot "$data/sample.smpq" -o "$tmp/x.bmp" 2>"$tmp/err"; rc=$?
check "unknown image type exits 2" test $rc -eq 2
headless "$cli" plot "$data/sample.smpq" >/dev/null 2>&1; rc=$?
check "no output exits 2" test $rc -eq 2
check "nothing written on usage errors" test ! -e "$tmp/x.png"
printf 'short' >"$tmp/bad.smpq"
headless "$cli" plot "$tmp/bad.smpq" -o "$tmp/x.png" 2>"$tmp/err"; rc=$?
check "bad file exits 1" test $rc -eq 1
check "bad file message" grep -q '^Failed to open document\.$' "$tmp/err"
for out in "$tmp/no/such/folder/x.png" "$tmp/no/such/folder/x.svg"; do
  headless "$cli" plot "$data/sample.smpq" -o "$out" 2>"$tmp/err"; rc=$?
  check "unwritable ${out##*.} exits 1" test $rc -eq 1
  check "unwritable ${out##*.} says why" grep -qi 'cannot write.*No such file or directory' "$tmp/err"
done
check "help" "$cli" plot --help >/dev/null

[ $fails -eq 0 ] && echo "all plot checks passed"
exit $fails
