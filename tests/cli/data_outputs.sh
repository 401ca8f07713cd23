#!/usr/bin/env bash
# quillmark-cli export, info and download on outputs that are not plain new files: special
# files, the input itself, long names, full devices and a closed standard output.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC QUILLMARK_PAGE_WAIT_MS=0
cp "$data/sample.smpq" "$tmp/in.smpq"
"$cli" export "$tmp/in.smpq" --format csv -o "$tmp/want.csv"

# Standard output by name, and a FIFO with a reader, get the whole export. The name is
# /dev/stdout's target, so a fault here cannot replace the machine's own /dev/stdout.
"$cli" export "$tmp/in.smpq" --format csv -o /proc/self/fd/1 | cat >"$tmp/pipe.csv"
check "standard output by name into a pipe gets the export" cmp -s "$tmp/want.csv" "$tmp/pipe.csv"
mkfifo "$tmp/fifo"
timeout 10 cat "$tmp/fifo" >"$tmp/fifo.csv" & reader=$!
timeout 10 "$cli" export "$tmp/in.smpq" --format csv -o "$tmp/fifo"; rc=$?
wait $reader
check "FIFO with a reader: exit 0 (rc $rc)" test $rc -eq 0
check "FIFO with a reader gets the export" cmp -s "$tmp/want.csv" "$tmp/fifo.csv"
check "the FIFO stays a FIFO" test -p "$tmp/fifo"
timeout 10 "$cli" export "$tmp/in.smpq" --format csv -o "$tmp/fifo" 2>"$tmp/err"; rc=$?
check "FIFO without a reader fails at once (rc $rc)" test $rc -eq 1
check "FIFO without a reader names the FIFO" grep -q "fifo" "$tmp/err"

# Character devices made here: written in place, never replaced; a full one reports why.
if mknod "$tmp/null" c 1 3 2>/dev/null && mknod "$tmp/full" c 1 7 2>/dev/null; then
  check "export to a null device" "$cli" export "$tmp/in.smpq" --format txt -o "$tmp/null"
  check "the null device stays a device" test -c "$tmp/null"
  "$cli" export "$tmp/in.smpq" --format xls -o "$tmp/full" 2>"$tmp/err"; rc=$?
  check "export to a full device exits 1" test $rc -eq 1
  check "export to a full device says why" grep -q 'No space left on device' "$tmp/err"
  check "the full device stays a device" test -c "$tmp/full"
  "$cli" export "$tmp/in.smpq" --format txt -o - >"$tmp/full" 2>"$tmp/err"; rc=$?
  check "export -o - into a full device exits 1" test $rc -eq 1
  check "export -o - into a full device says why" grep -q 'No space left on device' "$tmp/err"
  "$cli" info "$tmp/in.smpq" >"$tmp/full" 2>"$tmp/err"; rc=$?
  check "info into a full device exits 1" test $rc -eq 1
  check "info into a full device says why" grep -q 'No space left on device' "$tmp/err"
  "$cli" info "$tmp/in.smpq" --json >"$tmp/full" 2>/dev/null; rc=$?
  check "info --json into a full device exits 1" test $rc -eq 1
  "$cli" download -o "$tmp/null" --backend sim >/dev/null; rc=$?
  check "download to a null device exits 0" test $rc -eq 0
  check "download leaves the null device a device" test -c "$tmp/null"
else
  echo "skip: mknod not permitted, the character device checks are left out"
fi
"$cli" info "$tmp/in.smpq" >&- 2>"$tmp/err"; rc=$?
check "info with standard output closed exits 1" test $rc -eq 1
check "info with standard output closed says why" grep -q 'Bad file descriptor' "$tmp/err"

# A file-size limit makes a write fail part-way; the reason must reach the user.
(trap '' XFSZ; ulimit -f 8; "$cli" export "$tmp/in.smpq" --format txt -o "$tmp/big.txt" 2>"$tmp/err"); rc=$?
check "a write failing part-way exits 1" test $rc -eq 1
check "a write failing part-way says why" grep -q 'File too large' "$tmp/err"
check "a failed write leaves nothing" test ! -e "$tmp/big.txt"

# The input recording is never the output, however it is named.
ln -s "$tmp/in.smpq" "$tmp/soft.smpq"
ln "$tmp/in.smpq" "$tmp/hard.smpq"
for out in "$tmp/in.smpq" "$tmp/./in.smpq" "$tmp/soft.smpq" "$tmp/hard.smpq"; do
  "$cli" export "$tmp/in.smpq" --format txt -o "$out" 2>"$tmp/err"; rc=$?
  check "export onto its input ($out) is refused" test $rc -eq 1
  check "refusal says why ($out)" grep -q 'input' "$tmp/err"
done
"$cli" export "$tmp/in.smpq" --format txt -o - >>"$tmp/in.smpq" 2>/dev/null; rc=$?
check "export to standard output appending to its input is refused" test $rc -eq 1
"$cli" export "$tmp/soft.smpq" --format txt -o "$tmp/in.smpq" 2>/dev/null; rc=$?
check "export through a link onto its target is refused" test $rc -eq 1
check "the input is untouched" cmp -s "$data/sample.smpq" "$tmp/in.smpq"
"$cli" download -o "$tmp/same.smpq" --txt "$tmp/same.smpq" --backend sim 2>"$tmp/err" >/dev/null; rc=$?
check "download with the text file onto the recording file is refused" test $rc -eq 2
check "no file from a refused download" test ! -e "$tmp/same.smpq"

# Names as long as a folder takes.
long="$tmp/$(printf 'n%.0s' $(seq 251)).txt"
check "export to a 255-byte name" "$cli" export "$tmp/in.smpq" --format txt -o "$long"
check "the 255-byte name holds the export" test -s "$long"
check "no temporary left beside it" test "$(ls "$tmp" | grep -c 'tmp-')" -eq 0

[ $fails -eq 0 ] && echo "all output checks passed"
exit $fails
