#!/usr/bin/env bash
# Builds the 32-bit product and packs it for a Windows machine: out/release/Cadro/ and out/Cadro.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/wine_env.sh
CADRO_TESTS=OFF cadro_build i686 >/dev/null
bin="$CADRO_ROOT/build/i686/bin"
dest="$CADRO_ROOT/out/release/Cadro"
rm -rf "$dest" "$CADRO_ROOT/out/Cadro.zip"
mkdir -p "$dest/apmsounds"
cp "$bin/cadro.exe" "$bin/ravik.dll" "$dest/"
if [ -f "$bin/apmsounds/cadro.wav" ]; then
    cp "$bin/apmsounds/cadro.wav" "$dest/apmsounds/"
else
    python3 tools/make_sound.py "$dest/apmsounds/cadro.wav"
fi
(cd "$CADRO_ROOT/out/release" && zip -qr ../Cadro.zip Cadro)
echo "release: $dest"
echo "release: $CADRO_ROOT/out/Cadro.zip"
