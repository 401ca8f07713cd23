# Shared by the command-line test scripts: a temporary folder removed at exit, simulators
# stopped at exit, and check() which counts failures in $fails.
set -u
cli=${QUILLMARK_CLI:?}
tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; rm -rf "$tmp"; }
trap cleanup EXIT
fails=0
check() { # description, command...
  local what=$1; shift
  if ! "$@"; then echo "FAIL: $what"; fails=$((fails + 1)); fi
}
start_sim() { # socket name, options...
  local sock="$tmp/$1"; shift
  "${QUILLMARK_LOGGER_SIM:?}" --socket "$sock" "$@" & pids+=($!)
  for _ in $(seq 100); do [ -S "$sock" ] && return 0; sleep 0.05; done
  echo "simulator did not start"; return 1
}
as_model() { # recording, model code, output: the same recording under another logger model
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
b = bytearray(open(sys.argv[1], "rb").read())
b[24:28] = struct.pack("<i", int(sys.argv[2]))
open(sys.argv[3], "wb").write(b)
PY
}
