#!/usr/bin/env bash
# Installs the Debian 12 packages Quillmark needs to build, test, run and package.
# Idempotent: prints nothing and changes nothing when every package is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-svg-dev # plot images as SVG
  poppler-utils # the run report tests read the PDF back
  qt6-wayland # the window on a Wayland session, natively
  qt6-l10n-tools qt6-tools-dev # lupdate/lrelease and their CMake module, for the translations
  qt6-translations-l10n # Qt's own dialogs in the user's language
  libusb-1.0-0-dev umockdev libumockdev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  fonts-liberation xvfb xauth xdg-utils
  libqcustomplot-dev tzdata locales
  # The manual pages, and building and checking the Debian package (scripts/check-package.sh).
  scdoc dpkg-dev file man-db lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# A comma-decimal locale, so tests can prove files keep a full stop whatever the locale.
ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_locale
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_locale
