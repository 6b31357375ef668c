#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need; skips what is present.
set -euo pipefail

# Both mingw-w64 toolchains: the release is 32-bit, and the tests run the 64-bit build where the kernel
# cannot run 32-bit code. Chromium renders the game report in the browser tests.
PKGS=(cmake make wine wine32:i386 wine64
      g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
      g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
      xvfb xdotool x11-utils x11-apps imagemagick xauth googletest sox zip python3 chromium)

missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
