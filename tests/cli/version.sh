#!/usr/bin/env bash
# Every program answers --version with its name and the project's version, and the desktop
# program answers --version and --help without a display.
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
fi

[ $fails -eq 0 ] && echo "all version checks passed"
exit $fails
