#!/usr/bin/env bash
# Every writer of the program against the output-file rules: never onto its input (by name,
# through a symbolic or a hard link, through "sub/.."), devices and FIFOs written in place,
# a read-only file refused, write errors with the system's reason and exit 1, the earlier
# file kept. The writers are listed here, and the list is checked against the source, so a
# new one cannot skip these checks.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
src=$(cd "$(dirname "$0")/../.." && pwd)
export TZ=UTC XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=offscreen SOURCE_DATE_EPOCH=1796620503
chmod 755 "$tmp" # an ordinary user runs the read-only checks below
lacks() { ! grep -q -- "$1" "$2"; }

# The places that call writeOutputFile, and the writers each holds. A writer added elsewhere
# fails here until it is listed and covered by a row below.
expected="src/core/data/recording_file.cpp recording
src/core/data/sample_text.cpp txt xls csv
src/core/settings/ini_store.cpp ini
src/gui/app/app_resources.cpp manual
src/render/plot_image.cpp png svg
src/render/run_report_pdf.cpp pdf"
found=$(cd "$src" && grep -rlE --include='*.cpp' '\bwriteOutputFile[[:space:]]*\(' src | grep -v '^src/core/common/atomic_file' | sort)
check "the writers are the listed ones (found: $(echo $found))" \
  test "$found" = "$(cut -d' ' -f1 <<<"$expected")"

have_plot=1
"$cli" plot --help >/dev/null 2>&1 || have_plot=0

# writer name | command writing $target, reading $in where it has an input
writers=(
  "png|plot \$in -o \$target"
  "svg|plot \$in -o \$target"
  "pdf|report \$in -o \$target"
  "txt|export \$in --format txt -o \$target"
  "xls|export \$in --format xls -o \$target"
  "csv|export \$in --format csv -o \$target"
  "recording|download --backend sim -o \$target"
  "txt-download|download --backend sim -o $tmp/dl.smpq --txt \$target"
  "xls-download|download --backend sim -o $tmp/dl.smpq --xls \$target"
  "ini|setup --backend sim --mode instant"
)
ini=$tmp/config/Quillmark/SettingConfig.ini
run() { # writer row, target; runs the writer, stdout/stderr to files
  local cmd=${1#*|}
  if [ "${1%%|*}" = ini ]; then
    mkdir -p "$tmp/config/Quillmark"
    [ "$2" = "$ini" ] || { rm -rf "$ini"; ln -s "$2" "$ini"; }
  fi
  eval "set -- $(target=$2 in=$in; eval "echo \"$cmd\"")"
  timeout 60 "$cli" "$@" >"$tmp/stdout" 2>"$tmp/err"
}
ext() { case ${1%%|*} in png) echo png ;; svg) echo svg ;; pdf) echo pdf ;; *) echo out ;; esac; }

for row in "${writers[@]}"; do
  name=${row%%|*}
  case $name in png | svg | pdf) [ $have_plot = 1 ] || continue ;; esac
  x=$(ext "$row")
  rm -rf "$tmp/w" "$tmp/config"; mkdir -p "$tmp/w/sub"
  in=$tmp/w/in.smpq
  cp "$data/sample.smpq" "$in"

  # The input under other names: the command refuses and the input stays as it was.
  if [[ $row == *'$in'* ]]; then
    ln -s "$in" "$tmp/w/soft.$x"; ln "$in" "$tmp/w/hard.$x"; cp "$in" "$tmp/w/self.$x"
    for target in "$tmp/w/soft.$x" "$tmp/w/hard.$x" "$tmp/w/./sub/../hard.$x"; do
      run "$row" "$target"; rc=$?
      check "$name onto its input as $target: exit 1 (rc $rc)" test $rc -eq 1
      check "$name onto its input as $target: says so" grep -q 'input' "$tmp/err"
      check "$name onto its input as $target: input unchanged" cmp -s "$data/sample.smpq" "$in"
    done
    in=$tmp/w/self.$x # plot self.png -o self.png
    run "$row" "$in"; rc=$?
    check "$name of self.$x onto itself: exit 1 (rc $rc)" test $rc -eq 1
    check "$name of self.$x onto itself: unchanged" cmp -s "$data/sample.smpq" "$in"
    in=$tmp/w/in.smpq
  fi

  # A good run, for the content the special targets must receive.
  run "$row" "$tmp/w/want.$x"; rc=$?
  check "$name to a new file: exit 0 (rc $rc)" test $rc -eq 0
  want=$tmp/w/want.$x
  [ "$name" = ini ] && want=$ini

  # The settings file is read before it is written, so it can only be a regular file.
  if [ "$name" != ini ]; then
  # A symbolic link to a full device is a device: written in place, ENOSPC, exit 1.
  ln -s /dev/full "$tmp/w/full.$x"
  run "$row" "$tmp/w/full.$x"; rc=$?
  check "$name to a link to /dev/full: exit 1 (rc $rc)" test $rc -eq 1
  check "$name to a link to /dev/full: the system's reason" grep -q 'No space left on device' "$tmp/err"
  check "$name to a link to /dev/full: no 'Unknown error'" lacks 'Unknown error' "$tmp/err"
  check "$name: /dev/full is still a device" test -c /dev/full

  # Device nodes made here (root only): written in place, never replaced.
  if mknod "$tmp/w/null.$x" c 1 3 2>/dev/null && mknod "$tmp/w/fulldev.$x" c 1 7 2>/dev/null; then
    run "$row" "$tmp/w/null.$x"; rc=$?
    check "$name to a null device node: exit 0 (rc $rc)" test $rc -eq 0
    check "$name: the null node stays a device" test -c "$tmp/w/null.$x"
    run "$row" "$tmp/w/fulldev.$x"; rc=$?
    check "$name to a full device node: exit 1 (rc $rc)" test $rc -eq 1
    check "$name to a full device node: says why" grep -q 'No space left on device' "$tmp/err"
    check "$name: the full node stays a device" test -c "$tmp/w/fulldev.$x"
  else
    echo "skip: $name against device nodes (mknod needs root)"
  fi

  # A FIFO with a reader gets exactly the file; without one, the command says so.
  mkfifo "$tmp/w/fifo.$x"
  timeout 60 cat "$tmp/w/fifo.$x" >"$tmp/w/fromfifo" & reader=$!
  run "$row" "$tmp/w/fifo.$x"; rc=$?
  wait $reader
  check "$name to a FIFO with a reader: exit 0 (rc $rc)" test $rc -eq 0
  # A download's start time moves with the clock, and a PDF's dates and the order of its
  # font objects vary from run to run; their lengths do not.
  if [[ $row == *download* || $name == pdf ]]; then
    check "$name to a FIFO with a reader: the whole file" test "$(wc -c <"$want")" -eq "$(wc -c <"$tmp/w/fromfifo")"
  else
    check "$name to a FIFO with a reader: the whole file" cmp -s "$want" "$tmp/w/fromfifo"
  fi
  check "$name: the FIFO stays a FIFO" test -p "$tmp/w/fifo.$x"
  run "$row" "$tmp/w/fifo.$x"; rc=$?
  check "$name to a FIFO without a reader: exit 1 (rc $rc)" test $rc -eq 1
  check "$name to a FIFO without a reader: says so" grep -q 'no program is reading' "$tmp/err"

  # A write failing part-way (a file-size limit): the reason, exit 1, the earlier file kept.
  printf 'earlier' >"$tmp/w/limited.$x"
  (trap '' XFSZ; ulimit -f 1; run "$row" "$tmp/w/limited.$x"); rc=$?
  check "$name failing part-way: exit 1 (rc $rc)" test $rc -eq 1
  check "$name failing part-way: the system's reason" grep -q 'File too large' "$tmp/err"
  check "$name failing part-way: the earlier file kept" test "$(cat "$tmp/w/limited.$x")" = earlier
  fi

  # A read-only file is refused as an ordinary user, and left as it was.
  printf 'locked' >"$tmp/w/locked.$x"; chmod 444 "$tmp/w/locked.$x"; chmod 777 "$tmp/w"
  if [ "$(id -u)" -ne 0 ]; then
    as_user=()
  elif command -v setpriv >/dev/null && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chmod -R a+rwX "$tmp/w" "$tmp/config" 2>/dev/null
    chmod 444 "$tmp/w/locked.$x"
  else
    as_user=(skip)
  fi
  if [ "${as_user[0]:-}" = skip ]; then
    echo "skip: $name against a read-only file (no ordinary user)"
  else
    [ "$name" = ini ] && { rm -f "$ini"; cp "$tmp/w/locked.$x" "$ini"; chmod 444 "$ini"; }
    target=$tmp/w/locked.$x
    [ "$name" = ini ] && target=$ini
    cmd=${row#*|}
    eval "set -- $(target=$target in=$in; eval "echo \"$cmd\"")"
    HOME=$tmp "${as_user[@]}" "$cli" "$@" >"$tmp/stdout" 2>"$tmp/err"; rc=$?
    check "$name to a read-only file: exit 1 (rc $rc)" test $rc -eq 1
    check "$name to a read-only file: says why" grep -q 'Permission denied' "$tmp/err"
    check "$name: the read-only file is left as it was" test "$(cat "$target")" = locked
    [ "$name" = ini ] && check "ini read-only: nothing sent to the logger" lacks 'Datalogger is running' "$tmp/stdout"
  fi

  check "$name: no temporary left" test -z "$(find "$tmp/w" -name '*tmp-*')"
done

[ $fails -eq 0 ] && echo "all writer checks passed"
exit $fails
