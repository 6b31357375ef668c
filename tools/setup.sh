#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need; skips what is present.
set -euo pipefail

# Both mingw-w64 toolchains: the release is 32-bit, and the tests run the 64-bit build where the kernel
# cannot run 32-bit code. Chromium renders the game report in the browser tests; Xephyr gives the overlay's
# two-monitor test its second monitor.
PKGS=(cmake make wine wine64
      g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      xvfb xserver-xephyr xdotool x11-utils x11-apps imagemagick xauth googletest sox zip python3 chromium)
# 32-bit Wine only tests the shipped release where the kernel runs 32-bit code: wanted, not needed.
OPTIONAL=(wine32:i386)

missing() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}
mapfile -t need < <(missing "${PKGS[@]}")
mapfile -t want < <(missing "${OPTIONAL[@]}")
# A wanted package that could not be installed is tried again a day later, not on every run.
tried=/var/tmp/cadro-setup.optional-failed
if [ ${#want[@]} -gt 0 ] && [ -n "$(find "$tried" -mmin -1440 2>/dev/null)" ]; then
    echo "setup: ${want[*]} could not be installed earlier today; not tried again" >&2
    want=()
fi
[ ${#need[@]} -eq 0 ] && [ ${#want[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
apt_install() {
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
echo "setup: installing ${need[*]} ${want[*]}" >&2
# A mirror caught mid-sync fails one list (often the i386 one); install from what could be read.
$SUDO apt-get update -qq || $SUDO apt-get update -qq ||
    echo "setup: some package lists could not be read; installing from the rest" >&2
[ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"
if [ ${#want[@]} -gt 0 ] && ! apt_install "${want[@]}" 2>/dev/null; then
    echo "setup: ${want[*]} could not be installed; the 32-bit release will not be run under Wine" >&2
    touch "$tried" 2>/dev/null || true
fi
exit 0
