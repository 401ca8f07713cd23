#!/usr/bin/env bash
# Keeps Qt out of the domain, transports, simulator and CLI, libusb inside the transport,
# and the backend wiring in its one place.
set -u
cd "$(dirname "$0")/.."
fail=0
if hits=$(grep -rnE '#include[[:space:]]*<Q' src/core src/transport src/sim src/cli 2>/dev/null); then
  echo "Qt include outside src/gui:"; echo "$hits"; fail=1
fi
if hits=$(grep -rnE '#include[[:space:]]*[<"]libusb|PkgConfig::LIBUSB|usb-1\.0' src tests --include='*.cpp' --include='*.h' --include='CMakeLists.txt' 2>/dev/null | grep -vE '^(src|tests)/transport/'); then
  echo "libusb outside the transport:"; echo "$hits"; fail=1
fi
# The transports and the simulator meet only in the backend factory; the GUI library gets
# its backend from the program's main.
if hits=$(grep -rnE '#include[[:space:]]*"(sim|backend)/' src/core src/transport 2>/dev/null); then
  echo "transport or core depends on the simulator or the factory:"; echo "$hits"; fail=1
fi
if hits=$(grep -rnE '#include[[:space:]]*"(sim|transport|backend)/' src/gui 2>/dev/null | grep -v '^src/gui/main\.cpp:'); then
  echo "backend wiring outside the program's main:"; echo "$hits"; fail=1
fi
if hits=$(grep -rn 'processEvents' src 2>/dev/null); then
  echo "processEvents in src (continue from a signal instead):"; echo "$hits"; fail=1
fi
exit $fail
