#!/usr/bin/env bash
# Every program answers --version with its name and the project's version, and the desktop
# program answers --version and --help, and prints to PDF, without a display.
source "$(dirname "$0")/harness.bash"
version=${QUILLMARK_VERSION:?}

check "cli version" test "$("$cli" --version)" = "quillmark-cli $version"
check "sim version" test "$("${QUILLMARK_LOGGER_SIM:?}" --version)" = "quillmark-logger-sim $version"
check "cli usage names --version" grep -q -- '--version' <("$cli" --help)

if [ -n "${QUILLMARK_GUI:-}" ]; then
  nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
  out=$("${nodisplay[@]}" "$QUILLMARK_GUI" --version 2>"$tmp/err"); rc=$?
  check "gui version without a display exits 0" test $rc -eq 0
  check "gui version" test "$out" = "quillmark $version"
  check "gui version writes nothing else" test ! -s "$tmp/err"
  check "gui help without a display" grep -q -- '--version' <("${nodisplay[@]}" "$QUILLMARK_GUI" --help)
  # Print jobs run in scripts: without a display they draw offscreen and never wait on a box.
  printf 'notes\n%.0s' $(seq 40) >"$tmp/notes.txt"
  timeout 60 "${nodisplay[@]}" HOME="$tmp" XDG_CONFIG_HOME="$tmp/cfg" "$QUILLMARK_GUI" \
    --print-to "$tmp/notes.txt" "$tmp/out.pdf" </dev/null >/dev/null 2>"$tmp/err"; rc=$?
  check "print-to of a text file exits 1 (was $rc)" test $rc -eq 1
  check "print-to says which file failed" grep -q "notes.txt" "$tmp/err"
  check "print-to of a text file writes no PDF" test ! -e "$tmp/out.pdf"
  cp "${QUILLMARK_TEST_DATA:?}/sample.smpq" "$tmp/s.smpq"
  timeout 60 "${nodisplay[@]}" HOME="$tmp" XDG_CONFIG_HOME="$tmp/cfg" "$QUILLMARK_GUI" \
    --print-to "$tmp/s.smpq" "$tmp/s.pdf" </dev/null >/dev/null 2>"$tmp/err"; rc=$?
  check "print-to PDF without a display exits 0 (was $rc)" test $rc -eq 0
  check "print-to PDF without a display writes a PDF" grep -q '^%PDF' "$tmp/s.pdf"
fi

[ $fails -eq 0 ] && echo "all version checks passed"
exit $fails
