#!/usr/bin/env bash
# Keeps Qt out of the domain, transports, simulator and CLI, and libusb inside the transport.
set -u
cd "$(dirname "$0")/.."
fail=0
if hits=$(grep -rnE '#include[[:space:]]*<Q' src/core src/transport src/sim src/cli 2>/dev/null); then
  echo "Qt include outside src/gui:"; echo "$hits"; fail=1
fi
if hits=$(grep -rnE '#include[[:space:]]*[<"]libusb|PkgConfig::LIBUSB|usb-1\.0' src tests --include='*.cpp' --include='*.h' --include='CMakeLists.txt' 2>/dev/null | grep -vE '^(src|tests)/transport/'); then
  echo "libusb outside the transport:"; echo "$hits"; fail=1
fi
exit $fail
