#!/usr/bin/env bash
# bash completion of quillmark-cli: commands, options per command, option values and files,
# and no command or option of quillmark-cli left out.
source "$(dirname "$0")/harness.bash"
source "$(dirname "$0")/../../resources/completion/quillmark-cli"

# Completes the last word of the given command line; prints the candidates, one a line.
candidates() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _quillmark_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() { # description, expected candidates (space separated), words...
  local what=$1 want=$2; shift 2
  local got
  got=$(candidates "$@" | tr '\n' ' ')
  check "$what (got '$got')" test "$got" = "$(printf '%s\n' $want | sort | tr '\n' ' ')"
}

mkdir "$tmp/runs"
touch "$tmp/a.smpq" "$tmp/b.txt" "$tmp/logger.sock"

expect "command" "export" quillmark-cli ex
expect "first word options" "--help --version" quillmark-cli --
expect "format values" "txt xls csv" quillmark-cli export --format ""
expect "format after =" "txt xls csv" quillmark-cli export --format = ""
expect "format prefix" "csv" quillmark-cli export --format c
expect "unit values" "0 1 2 3 4" quillmark-cli export --unit ""
expect "backend values" "usb sim socket:" quillmark-cli probe --backend ""
expect "socket path" "$tmp/logger.sock" quillmark-cli probe --backend socket : "$tmp/log"
expect "recording for info" "$tmp/a.smpq $tmp/runs" quillmark-cli info "$tmp/"
expect "recording for download -o" "$tmp/a.smpq $tmp/runs" quillmark-cli download -o "$tmp/"
expect "any file for export -o" "$tmp/b.txt" quillmark-cli export x.smpq -o "$tmp/b"
expect "quoted 400 Hz rate" '2.5ms\(400Hz\)' quillmark-cli setup --rate 2.
expect "mode values" "manual instant" quillmark-cli setup --mode ""
expect "page sizes" "a4 letter" quillmark-cli report x.smpq --page ""
expect "recording for report" "$tmp/a.smpq $tmp/runs" quillmark-cli report "$tmp/"
expect "no files for probe" "" quillmark-cli probe "$tmp/"
expect "no value for alarm limits" "" quillmark-cli setup --low ""

# Every command and every option that quillmark-cli's help texts name is completed.
listed=$("$cli" --help | awk '/^Commands:/ { on = 1; next } on && /^  / { print $1 }')
check "help lists commands" test -n "$listed"
for command in $listed; do
  check "command $command is completed" grep -qx "$command" <(candidates quillmark-cli "")
  offered=$(candidates quillmark-cli "$command" -)
  for option in $("$cli" "$command" --help | grep -oE '(^|[][ ])--?[a-z][a-z-]*' | tr -d '[ ' | sort -u); do
    check "$command $option is completed" grep -qx -- "$option" <<<"$offered"
  done
done

[ $fails -eq 0 ] && echo "all completion checks passed"
exit $fails
