#!/usr/bin/env bash
# quillmark-cli info and export on inputs that are not recording files: special files and a
# recording larger than the memory the command may use.
source "$(dirname "$0")/harness.bash"
export TZ=UTC

# Each runs under a time limit: a FIFO without a writer must not hang the command.
mkfifo "$tmp/fifo"
mkdir "$tmp/folder"
inputs=("$tmp/fifo:is not a regular file" "$tmp/folder:is a directory")
if mknod "$tmp/null" c 1 3 2>/dev/null; then
  inputs+=("$tmp/null:is not a regular file")
else
  echo "skip: mknod not permitted, the character device input is left out"
fi
for entry in "${inputs[@]}"; do
  input=${entry%%:*} words=${entry#*:}
  for cmd in "info" "export --format txt -o $tmp/out.txt"; do
    timeout 10 "$cli" $cmd "$input" >/dev/null 2>"$tmp/err"; rc=$?
    check "$cmd $(basename "$input") exits 1 at once (rc $rc)" test $rc -eq 1
    check "$cmd $(basename "$input") says it $words" grep -q "$words" "$tmp/err"
  done
done
check "nothing exported from special files" test ! -e "$tmp/out.txt"

# A recording of 400 million samples (a sparse file) with far less address space allowed.
if ldd "$cli" 2>/dev/null | grep -q 'libasan'; then
  echo "skip: an address-space limit cannot be combined with AddressSanitizer"
else
  python3 -c 'import struct,sys; f=open(sys.argv[1],"wb"); f.write(struct.pack("<iiidii",400000000,-1,-1,0.0,0,710)+bytes(64)); f.truncate(92+800000000)' "$tmp/huge.smpq"
  for cmd in "info" "export --format csv -o $tmp/huge.csv"; do
    (ulimit -v 400000; "$cli" $cmd "$tmp/huge.smpq" >/dev/null 2>"$tmp/err"); rc=$?
    check "$cmd of a recording larger than memory exits 1 (rc $rc)" test $rc -eq 1
    check "$cmd of a recording larger than memory says so" grep -q 'memory' "$tmp/err"
  done
fi

[ $fails -eq 0 ] && echo "all input checks passed"
exit $fails
