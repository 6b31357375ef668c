#!/usr/bin/env bash
# The main job: builds Cadro, then runs it beside the simulated game under Wine while the game plays a
# demo game with synthetic input, and leaves screenshots of the overlay and of the game report, and the
# event log, in out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/wine_env.sh
cadro_build "$CADRO_ARCH"
bash tools/make_release.sh

out="$CADRO_ROOT/out/demo"
rm -rf "$out"
mkdir -p "$out"
bin="$CADRO_BUILD/bin"
trap wine_session_stop EXIT
wine_session_start
# Show everything the overlay can show: the APM line, the low-APM warning and the game timer.
for flag in showalert showtimer; do
    "$CADRO_WINE" reg add 'HKCU\Software\Vorkel\cadro\MAIN' /v "$flag" /t REG_DWORD /d 1 /f >/dev/null 2>&1
done

shot() { import -window root "$out/$1.png" && echo "demo: screenshot $out/$1.png"; }
log() { "$CADRO_WINE" "$bin/driver.exe" log | tr -d '\r'; }
# A page as the player's browser shows it: chromium headless on a local file. page_shot FILE NAME
page_shot() {
    local profile
    profile="$(mktemp -d "$CADRO_SESSION/chromium.XXXXXX")"
    chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
        --disable-quic --window-size=1000,1400 --screenshot="$out/$2.png" "file://$1" >/dev/null 2>&1 &&
        echo "demo: screenshot of $1: $out/$2.png" || echo "demo: no screenshot of $1"
}
# The report Cadro wrote in the prefix for the demo's game.
report_shot() {
    local where
    where="$("$CADRO_WINE" "$bin/hold_file.exe" --where '%APPDATA%\Vorkel\cadro\report.html' | tr -d '\r')"
    page_shot "$("$CADRO_WINE" winepath -u "$where" 2>/dev/null | tr -d '\r')" report
}
# The report of a crafted history of eight weeks, whose answers are known, for comparison.
crafted_shot() {
    "$CADRO_WINE" "$bin/report_sample.exe" "$("$CADRO_WINE" winepath -w "$out/report-crafted.html" | tr -d '\r')" \
        learning >/dev/null && page_shot "$out/report-crafted.html" report-crafted
}

# One 100-second game at 300 key presses and 60 clicks a minute, with chat lines and minimap clicks
# (neither counted); Cadro should report about 360 APM, less its 8 % correction.
# The game starts once Cadro waits for it: a game begun before Cadro links would be wiped by its clear.
"$CADRO_WINE" "$bin/sim.exe" --after-link --games 1 --start-after 3 --length 100 --apm 300 --clicks 60 \
    --corner-clicks 30 --chat-every 15 --status "$out/sim-status.txt" --exit-after 106 &
sim=$!
"$CADRO_WINE" "$bin/cadro.exe" &
cadro=$!
"$CADRO_WINE" "$bin/driver.exe" wait-window 60 >/dev/null || echo "demo: Cadro's window did not come" >&2
"$CADRO_WINE" "$bin/driver.exe" wait-log "Game started" 60 >/dev/null || echo "demo: Cadro saw no game start" >&2
echo "demo: the simulated game and Cadro are running; the game lasts 100 s"
sleep 40
shot overlay-warmup
sleep 48
shot overlay-measuring
wait "$sim" || true
# Logged once the game is saved and its report written.
"$CADRO_WINE" "$bin/driver.exe" wait-log "BW Closed" 30 >/dev/null || true
log > "$out/event-log.txt"
report_shot
crafted_shot || echo "demo: no crafted report"
"$CADRO_WINE" "$bin/driver.exe" click 1002 >/dev/null || true
wait "$cadro" || true
echo "demo: event log ($out/event-log.txt):"
sed 's/^/    /' "$out/event-log.txt"
echo "demo: what the simulated game did ($out/sim-status.txt):"
sed 's/^/    /' "$out/sim-status.txt"
