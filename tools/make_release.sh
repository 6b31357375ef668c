#!/usr/bin/env bash
# Builds the 32-bit product and packs it for a Windows machine: OUT/release/Cadro/ and OUT/Cadro.zip,
# OUT being out/ unless given. The release build links them without symbols.
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
for sound in cadro back; do
    if [ -f "$bin/apmsounds/$sound.wav" ]; then
        cp "$bin/apmsounds/$sound.wav" "$dest/apmsounds/"
    else
        python3 tools/make_sound.py "$dest/apmsounds/$sound.wav" $([ $sound = back ] && echo --back)
    fi
done
(cd "$out/release" && rm -f ../Cadro.zip && zip -qr ../Cadro.zip Cadro)
echo "release: $dest"
echo "release: $out/Cadro.zip"
# The sizes as the README gives them (its release test compares the two).
size() { stat -c %s "$1" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }
{
    echo "| file | bytes |"
    echo "|---|---|"
    for file in cadro.exe ravik.dll apmsounds/cadro.wav apmsounds/back.wav; do
        echo "| \`$file\` | $(size "$dest/$file") |"
    done
    echo "| \`Cadro.zip\` (all four) | $(size "$out/Cadro.zip") |"
} >"$out/release/sizes.md"
echo "release: sizes ($out/release/sizes.md):"
cat "$out/release/sizes.md"
