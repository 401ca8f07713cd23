#!/usr/bin/env bash
# quillmark-cli download: what a logger's recorded-points count may do to the files written.
: "${QUILLMARK_LOGGER_SIM:?}"
source "$(dirname "$0")/harness.bash"
export QUILLMARK_PAGE_WAIT_MS=0 TZ=UTC XDG_CONFIG_HOME="$tmp/config"

# A count of 0 or below yields no samples: the empty-logger outcome, earlier files kept.
for points in 0 -1; do
  start_sim "p$points.sock" --bad-recorded-points "$points"
  for f in smpq txt xls; do printf 'earlier\n' >"$tmp/run.$f"; done
  "$cli" download -o "$tmp/run.smpq" --txt "$tmp/run.txt" --xls "$tmp/run.xls" \
    --backend "socket:$tmp/p$points.sock" >"$tmp/out" 2>"$tmp/err"; rc=$?
  check "count $points exits 1" test $rc -eq 1
  check "count $points is the empty logger" grep -qx 'Datalogger internal memory currently empty.' "$tmp/err"
  check "count $points reports no points" test ! -s "$tmp/out"
  for f in smpq txt xls; do
    check "count $points keeps the earlier $f" test "$(cat "$tmp/run.$f")" = earlier
  done
done

# A count above the samples the logger holds is cut to them (the rest of the last block is
# stale memory), and the command says so.
start_sim big.sock --bad-recorded-points 99999
"$cli" download -o "$tmp/big.smpq" --backend "socket:$tmp/big.sock" >"$tmp/out" 2>"$tmp/err"; rc=$?
check "cut count exits 0" test $rc -eq 0
check "cut count writes the stored samples" grep -qx '600 points finished!' "$tmp/out"
check "cut count is told on stderr" grep -qx 'quillmark-cli download: The logger reported 99999 points but holds only 600; the recording keeps those 600.' "$tmp/err"
check "cut recording file size" test "$(stat -c %s "$tmp/big.smpq")" -eq $((92 + 600 * 2))

[ $fails -eq 0 ] && echo "all download count checks passed"
exit $fails
