#!/usr/bin/env bash
# Sets up, builds and starts the application: on the real logger when one is plugged in,
# else on the simulated logger (which holds a demo recording to download).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
bin=build/default/src
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: start this from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
if "$bin/cli/quillmark-cli" probe --backend usb >/dev/null 2>&1; then
  echo "Logger found: starting Quillmark on USB."
  exec "$bin/gui/quillmark" --backend usb "$@"
fi
echo "No logger plugged in: starting Quillmark with the simulated logger (Link > Data Download)."
exec "$bin/gui/quillmark" --simulate "$@"
