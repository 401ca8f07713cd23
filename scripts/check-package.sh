#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian, the metadata validators and the manual
# pages, the programs run from the unpacked package, then a real install, removal and purge
# that must leave none of the package's files behind. Installs system-wide, so run it as root
# (or with sudo) on a machine or container where quillmark is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

deb=$(bash scripts/package.sh | tail -n1)
name=quillmark
version=$(dpkg-deb -f "$deb" Version)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

echo "== lintian $deb"
# Warnings fail too: every one left would have to be overridden with a reason.
lintian --fail-on error,warning --info "$deb" 2> >(grep -v 'root privileges' >&2)

echo "== contents"
dpkg-deb -x "$deb" "$tmp/root"
root=$tmp/root
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quillmark.Quillmark.metainfo.xml"
desktop-file-validate "$root/usr/share/applications/org.quillmark.Quillmark.desktop"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
# Owners and modes as the package records them (the unpacked copy belongs to whoever ran this).
odd=$(dpkg-deb -c "$deb" | awk '$2 != "root/root" || substr($1, 6, 1) == "w" || substr($1, 9, 1) == "w"')
[ -z "$odd" ] || fail "not root-owned, or writable by group or others: $odd"

# The programs as packaged, without a display and without the build tree's libraries.
for program in quillmark quillmark-cli quillmark-logger-sim; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --version)
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program" --help >/dev/null ||
    fail "$program --help failed"
done
echo "programs answer --version ($version) and --help"

echo "== install, remove, purge"
status=$(dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "$name is on this system already ($status)"
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^\.\?$' >"$tmp/list"
export DEBIAN_FRONTEND=noninteractive
apt_get=(apt-get -o DPkg::Lock::Timeout=300 -y -qq)
[ -n "$SUDO" ] && apt_get=("$SUDO" "${apt_get[@]}")
"${apt_get[@]}" install "$(realpath "$deb")" >"$tmp/apt.log" 2>&1 || { cat "$tmp/apt.log"; fail "apt-get install"; }
[ "$(/usr/bin/quillmark-cli --version)" = "quillmark-cli $version" ] || fail "installed quillmark-cli"
while read -r path; do
  [ -e "$path" ] || fail "$path is missing after installing"
done <"$tmp/list"
$SUDO dpkg -r "$name" >/dev/null
$SUDO dpkg -P "$name" >/dev/null
$SUDO dpkg --triggers-only -a >/dev/null 2>&1 || true

left=()
while read -r path; do
  if [ -d "$path" ]; then
    # A folder may stay when another package owns it or it holds others' files.
    if [ -z "$(ls -A "$path")" ] && ! dpkg -S "$path" >/dev/null 2>&1; then left+=("$path"); fi
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+=("$path")
  fi
done <"$tmp/list"
# Nor anything the desktop caches or dpkg made for it.
while read -r path; do left+=("$path"); done < <(find /usr /etc /var/lib/dpkg/info \
  -path /usr/local -prune -o -iname '*quillmark*' -print 2>/dev/null)
[ ${#left[@]} -eq 0 ] || fail "left behind after purge: ${left[*]}"
echo "installed, removed and purged $(wc -l <"$tmp/list") paths cleanly"
