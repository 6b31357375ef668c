#!/usr/bin/env bash
# Builds the 32-bit product and packs it for a Windows machine: OUT/release/Cadro/ and OUT/Cadro.zip,
# OUT being out/ unless given. The shipped files are stripped of their symbols and debug sections.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine_env.sh
CADRO_TESTS=OFF cadro_build i686 >/dev/null
out="${1:-$CADRO_ROOT/out}"
bin="$CADRO_ROOT/build/i686/bin"
dest="$out/release/Cadro"
rm -rf "$dest" "$out/Cadro.zip"
mkdir -p "$dest/apmsounds"
cp "$bin/cadro.exe" "$bin/ravik.dll" "$dest/"
i686-w64-mingw32-strip --strip-all "$dest/cadro.exe" "$dest/ravik.dll"
if [ -f "$bin/apmsounds/cadro.wav" ]; then
    cp "$bin/apmsounds/cadro.wav" "$dest/apmsounds/"
else
    python3 tools/make_sound.py "$dest/apmsounds/cadro.wav"
fi
(cd "$out/release" && rm -f ../Cadro.zip && zip -qr ../Cadro.zip Cadro)
echo "release: $dest"
echo "release: $out/Cadro.zip"
