#!/usr/bin/env bash
# Benchmark: Cadro beside a minimal baseline through simulated games, under a private Wine session.
# Prints a markdown table and writes it to out/bench.md. Usage: [CADRO_BENCH_SHOWAPM=0] tools/bench.sh [--quick]
#   full:    one 10-minute game at 300 APM, then 10 games of 85 s (about 28 minutes)
#   --quick: one 2-minute game, then 2 games of 85 s (about 6 minutes)
set -euo pipefail
cd "$(dirname "$0")/.."

ARGS=(--game 600 --short-games 10 --short 85 --apm 300 --startup-runs 5)
case "${1:-}" in
    --quick) ARGS=(--game 120 --short-games 2 --short 85 --apm 300 --startup-runs 3) ;;
    "") ;;
    *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

bash tools/setup.sh
source tools/wine_env.sh
# The build talks on stderr, so stdout carries the table alone.
cadro_build "$CADRO_ARCH" >&2

trap wine_session_stop EXIT
wine_session_start
# CADRO_BENCH_SHOWAPM=0 measures Cadro with its overlay switched off, to tell the drawing's share.
if [ -n "${CADRO_BENCH_SHOWAPM:-}" ]; then
    "$CADRO_WINE" reg add 'HKCU\Software\Vorkel\cadro\MAIN' /v showapm /t REG_DWORD /d "$CADRO_BENCH_SHOWAPM" /f \
        >/dev/null 2>&1
fi

mkdir -p out
table="$(mktemp)"
status=0
"$CADRO_WINE" "$CADRO_BUILD/bin/bench.exe" "${ARGS[@]}" >"$table" || status=$?
{
    echo "Measured $(date '+%Y-%m-%d %H:%M %Z') on $(nproc) CPUs ($(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')), $("$CADRO_WINE" --version), build/$CADRO_ARCH."
    echo
    tr -d '\r' <"$table"
} >out/bench.md
rm -f "$table"
# The history's share, measured in-process with the program's own code (about a second).
{
    echo
    "$CADRO_WINE" "$CADRO_BUILD/bin/history_bench.exe" | tr -d '\r'
} >>out/bench.md || echo "bench: the history's measurement failed" >&2
{
    echo
    "$CADRO_WINE" "$CADRO_BUILD/bin/report_bench.exe" | tr -d '\r'
} >>out/bench.md || echo "bench: the report's measurement failed" >&2
{
    echo
    "$CADRO_WINE" "$CADRO_BUILD/bin/pass_cost.exe" | tr -d '\r'
} >>out/bench.md || echo "bench: the pass's measurement failed" >&2
cat out/bench.md
[ "$status" -eq 0 ] || echo "bench: the run was not complete (exit code $status)" >&2
exit "$status"
