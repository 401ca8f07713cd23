#!/usr/bin/env bash
# quillmark-cli info and export: outputs, exit codes and messages.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC

"$cli" info "$data/sample.smpq" >"$tmp/info.txt"
check "info names the model" grep -q '^Model:       710 (voltage)$' "$tmp/info.txt"
check "info shows the over-range maximum" grep -q '^Max:         OL @ 07-12-2026,05:23:22  V$' "$tmp/info.txt"
"$cli" info "$data/sample.smpq" --json >"$tmp/info.json"
check "json is valid" python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert d["sampleCount"]==600 and d["maxIndex"]==250 and d["loggerName"]=="Bench 3", d' "$tmp/info.json"

for f in txt xls csv; do
  check "export $f succeeds" "$cli" export "$data/sample.smpq" --format $f -o "$tmp/out.$f"
done
check "txt has 607 CR LF lines" test "$(grep -c $'\r$' "$tmp/out.txt")" = 607
check "txt first sample line" grep -q $'^1, 12.03, V, 07-12-2026,05:15:02\r$' "$tmp/out.txt"
check "xls row of sample 250 is OL" grep -q $'^250\tOL\tV\t07-12-2026,05:23:22\t\r$' "$tmp/out.xls"
check "csv header" test "$(head -n1 "$tmp/out.csv")" = $'Index,Time,Value,Unit\r'
as_model "$data/sample.smpq" 86 "$tmp/air.smpq"
"$cli" export "$tmp/air.smpq" --format xls --unit 2 -o "$tmp/kn.xls"
check "unit 2 is knots" grep -q $'^0\t23.39\tknots\t' "$tmp/kn.xls"
"$cli" export "$tmp/air.smpq" --format xls --unit 3 -o - >"$tmp/kmh.xls"
check "a sample within range stays a number in every unit" grep -q $'^0\t43.31\tkm/h\t' "$tmp/kmh.xls"
check "an over-range sample is OL in every unit" grep -q $'^250\tOL\tkm/h\t' "$tmp/kmh.xls"

# The air-speed units mean nothing for a voltage or current recording: refused, nothing written.
as_model "$data/sample.smpq" 711 "$tmp/current.smpq"
for rec in sample.smpq:710 current.smpq:711 air.smpq:86; do
  file=${rec%%:*}; model=${rec##*:}
  [ "$file" = sample.smpq ] && path="$data/$file" || path="$tmp/$file"
  for unit in 0 1 2 3 4; do
    want=0; [ "$model" != 86 ] && [ "$unit" != 0 ] && want=2
    for cmd in export stats plot; do
      rm -f "$tmp/u.csv" "$tmp/u.png"
      case $cmd in
        export) extra=(--format csv -o "$tmp/u.csv") ;;
        stats) extra=() ;;
        plot) extra=(-o "$tmp/u.png") ;;
      esac
      QT_QPA_PLATFORM=offscreen "$cli" $cmd "$path" "${extra[@]}" --unit $unit \
        >/dev/null 2>"$tmp/err"; rc=$?
      check "$cmd --unit $unit on model $model exits $want (was $rc)" test $rc -eq $want
      if [ $want -eq 2 ]; then
        check "$cmd --unit $unit on model $model says why" grep -q 'is an air-speed unit' "$tmp/err"
        check "$cmd --unit $unit on model $model writes nothing" test ! -e "$tmp/u.csv" -a ! -e "$tmp/u.png"
      fi
    done
  done
done

# Bad input: a clear message on stderr and a non-zero exit, and no output file.
printf 'short' >"$tmp/bad.smpq"
"$cli" export "$tmp/bad.smpq" --format txt -o "$tmp/bad.txt" 2>"$tmp/err"; rc=$?
check "bad file exits 1" test $rc -eq 1
check "bad file message" grep -q '^Failed to open document\.$' "$tmp/err"
check "no output for a bad file" test ! -e "$tmp/bad.txt"
"$cli" export "$data/sample.smpq" --format pdf -o "$tmp/x" 2>/dev/null; rc=$?
check "unknown format exits 2" test $rc -eq 2
"$cli" export "$data/sample.smpq" --format txt --unit 5 -o "$tmp/x" 2>/dev/null; rc=$?
check "unit 5 exits 2" test $rc -eq 2
"$cli" export "$data/sample.smpq" --format txt -o /nonexistent-dir/x.txt 2>"$tmp/err"; rc=$?
check "unwritable output exits 1" test $rc -eq 1
check "unwritable output message" grep -q '^Failed to save document\.$' "$tmp/err"
check "help" "$cli" export --help >/dev/null

[ $fails -eq 0 ] && echo "all data command checks passed"
exit $fails
