#!/usr/bin/env bash
# quillmark-cli's arguments are checked before anything happens: for every command, an unknown
# option, a missing or empty value, a repeated option and an extra argument (for plot and
# stats: a tenth file) exit 2 with the reason, and no file is written and no logger reached. The logger commands are pointed at a
# socket where no logger answers, so reaching it would fail with exit 1 instead.
source "$(dirname "$0")/harness.bash"
data=${QUILLMARK_TEST_DATA:?}
export TZ=UTC XDG_CONFIG_HOME=$tmp/config
in=$tmp/in.smpq
cp "$data/sample.smpq" "$in"
out=$tmp/out
nolog="socket:$tmp/no-logger"
lacks() { ! grep -q -- "$1" "$2"; }

# command | arguments that would run it | option with a value | flag or "" | most positionals
table=(
  "plot|$in -o $out.png|--size|--fit|9"
  "export|$in --format csv -o $out.csv|--unit||1"
  "info|$in|||1"
  "stats|$in|--first|--json|9"
  "probe|--backend $nolog|--device|--simulate|0"
  "download|-o $out.smpq --backend $nolog|--txt|--simulate|0"
  "setup|--mode instant --backend $nolog|--points|--simulate|0"
)
for row in "${table[@]}"; do
  IFS='|' read -r cmd good valued flag positionals <<<"$row"
  read -ra base <<<"$good"
  cases=("--bogus" "--points=8000x")
  [ "$positionals" -le 1 ] && cases+=("extra")
  [ -n "$valued" ] && cases+=("$valued" "$valued=")
  [ -n "$flag" ] && cases+=("$flag $flag" "$flag=1")
  [ "$positionals" -eq 1 ] && cases+=("$in")
  [ "$positionals" -eq 9 ] && cases+=("$in $in $in $in $in $in $in $in $in")
  for extra in "${cases[@]}"; do
    args=("${base[@]}")
    case $extra in
      "$valued=") args+=("$valued=") ;;
      "$valued") args+=("$valued") ;; # the value is missing at the end
      *) read -ra more <<<"$extra"; args+=("${more[@]}") ;;
    esac
    "$cli" "$cmd" "${args[@]}" >"$tmp/stdout" 2>"$tmp/err"; rc=$?
    check "$cmd $extra: exit 2 (rc $rc)" test $rc -eq 2
    check "$cmd $extra: says why" grep -q "^quillmark-cli $cmd: " "$tmp/err"
    check "$cmd $extra: nothing on standard output" test ! -s "$tmp/stdout"
  done
  if [ -n "$valued" ]; then # an empty value as its own argument, and an option given twice
    for twice in "$valued ''" "$valued 1 $valued 1"; do
      eval "more=($twice)"
      "$cli" "$cmd" "${base[@]}" "${more[@]}" >/dev/null 2>"$tmp/err"; rc=$?
      check "$cmd $twice: exit 2 (rc $rc)" test $rc -eq 2
      check "$cmd $twice: says why" grep -qE "needs a value|more than once" "$tmp/err"
    done
  fi
done
check "no output file was written" test -z "$(ls "$tmp" | grep -v '^in.smpq$\|^stdout$\|^err$')"
check "no settings file was written" test ! -e "$tmp/config"

# The misspelt options of the report: refused, not sent with the saved settings.
"$cli" setup --point 8000 --rates 5m --backend sim >"$tmp/stdout" 2>"$tmp/err"; rc=$?
check "setup --point: exit 2 (rc $rc)" test $rc -eq 2
check "setup --point: names the option" grep -q 'unknown option --point' "$tmp/err"
check "setup --point: the logger is not started" test ! -s "$tmp/stdout"
check "setup --point: no settings saved" test ! -e "$tmp/config"

# --backend before the command is the same as after it; twice is refused.
"$cli" --backend sim download -o "$tmp/before.smpq" >/dev/null 2>&1; rc=$?
check "--backend before the command works (rc $rc)" test $rc -eq 0
"$cli" download -o "$tmp/after.smpq" --backend=sim >/dev/null 2>&1
samples() { tail -c +93 "$1"; } # the header holds the download's time
check "--backend before and after give the same file" cmp -s <(samples "$tmp/before.smpq") <(samples "$tmp/after.smpq")
"$cli" --backend sim probe --backend sim >/dev/null 2>"$tmp/err"; rc=$?
check "--backend before and after: exit 2 (rc $rc)" test $rc -eq 2
"$cli" --simulate probe --backend sim >/dev/null 2>"$tmp/err"; rc=$?
check "--simulate with --backend: exit 2 (rc $rc)" test $rc -eq 2
"$cli" --backend sim info "$in" >/dev/null 2>"$tmp/err"; rc=$?
check "--backend on a command without a logger: exit 2 (rc $rc)" test $rc -eq 2
rm -f "$tmp/before.smpq" "$tmp/after.smpq"

# The range message names the options given, and only those.
while IFS='|' read -r cmd args want; do
  read -ra a <<<"$args"
  "$cli" "$cmd" "$in" "${a[@]}" -o "$out.png" >/dev/null 2>"$tmp/err" || true
  check "$cmd $args names what was given" grep -qF -- "$want" "$tmp/err"
  case $args in --last*) check "$cmd $args: no --first" lacks --first "$tmp/err" ;; esac
done <<'EOF'
plot|--last 0|--last 0 must be after the first sample 0
plot|--first 599|--first 599 must be before the last sample 599
plot|--first 5 --last 5|--first 5 must be before --last 5
plot|--last 900|--last 900 lies outside the recording's samples 0..599
EOF
"$cli" stats "$in" --last 900 >/dev/null 2>"$tmp/err"
check "stats --last 900 names --last" grep -q '^quillmark-cli stats: --last 900 lies outside' "$tmp/err"

# download: -o - is standard output; a target that cannot be written is found before the
# logger is read (the socket has no logger, so reading would fail differently).
(cd "$tmp" && "$cli" download -o - --backend sim >"$tmp/stdout.smpq" 2>"$tmp/err"); rc=$?
check "download -o -: exit 0 (rc $rc)" test $rc -eq 0
"$cli" download -o "$tmp/file.smpq" --backend sim >/dev/null 2>&1
check "download -o - writes the recording to standard output" cmp -s <(samples "$tmp/file.smpq") <(samples "$tmp/stdout.smpq")
check "download -o - tells the count on stderr" grep -q 'points finished!' "$tmp/err"
check "download -o - leaves no file named -" test ! -e "$tmp/-"
mkdir "$tmp/adir"
for target in "-o $tmp/adir" "-o $tmp/x.smpq --txt $tmp/adir" "-o $tmp/x.smpq --xls $tmp/no/such/x.xls"; do
  read -ra a <<<"$target"
  "$cli" download "${a[@]}" --backend "$nolog" >/dev/null 2>"$tmp/err"; rc=$?
  check "download $target: exit 1 (rc $rc)" test $rc -eq 1
  check "download $target: says why before the logger" grep -qE 'Is a directory|No such file' "$tmp/err"
  check "download $target: the logger is not reached" lacks datalogger "$tmp/err"
done

# Standard output: a full device fails once with its reason, --help included.
for args in "--help" "--version" "info $in" "stats $in" "plot --help" "export $in --format csv -o -"; do
  read -ra a <<<"$args"
  "$cli" "${a[@]}" >/dev/full 2>"$tmp/err"; rc=$?
  check "$args into /dev/full: exit 1 (rc $rc)" test $rc -eq 1
  check "$args into /dev/full: the reason, once" test "$(grep -c 'No space left on device' "$tmp/err")" -eq 1
done

[ $fails -eq 0 ] && echo "all argument checks passed"
exit $fails
