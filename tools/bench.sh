#!/usr/bin/env bash
# Benchmark: Cadro's CPU against the design's floor (floor.exe), each in a Wine session of its own, then
# Cadro watched beside a baseline for memory, start-up and the input hook, then in-process measures.
# Prints markdown tables and writes them to out/bench.md.
# Usage: [CADRO_BENCH_SHOWAPM=0] tools/bench.sh [--quick] [--window S] [--runs N] [--cpu-only] [--parallel]
#   default:    3 runs, each a session of Cadro and one of the floor, 10-minute windows in a game and
#               between games (six sessions of about 20.5 min, one after another), then a 10-minute game
#               and 10 short ones watched (about half an hour): about 2 h 35 min
#   --quick:    1 run with 60 s windows, then a 2-minute game and 2 short ones: about 11 min
#   --window S, --runs N: the CPU sessions' window length and number of runs
#   --cpu-only: the CPU sessions alone
#   --parallel: the two sessions of a run side by side, so that both share the machine's same period;
#               the runs still one after another, so a run's wall time is one session's
#   --help:     this text
# The runs alternate which side goes first (run 1 Cadro, run 2 the floor, ...); each ratio is taken
# between the two sessions of one run, and the simulated game's own CPU in each session is the control
# under the table: the floor's over Cadro's, pair by pair, shows how far the machine drifted within a run.
# CADRO_BENCH_SHOWAPM=0 measures Cadro with its overlay switched off and has the floor draw no line.
set -euo pipefail
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$0")/.."

WINDOW=600
RUNS=3
WATCH=(--game 600 --short-games 10 --short 85 --apm 300 --startup-runs 5)
CPU_ONLY=""
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) WINDOW=60 RUNS=1 WATCH=(--game 120 --short-games 2 --short 85 --apm 300 --startup-runs 3) ;;
        --window) WINDOW="$2"; shift ;;
        --runs) RUNS="$2"; shift ;;
        --cpu-only) CPU_ONLY=1 ;;
        --parallel) PARALLEL=1 ;;
        --help | -h) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$self"; exit 0 ;;
        *) echo "usage: $0 [--quick] [--window S] [--runs N] [--cpu-only] [--parallel] [--help]" >&2; exit 2 ;;
    esac
    shift
done

bash tools/setup.sh
source tools/wine_env.sh
# The build talks on stderr, so stdout carries the tables alone.
cadro_build "$CADRO_ARCH" >&2
# The CPU tables' arithmetic, checked before it is relied on.
(cd tools/bench && python3 -m unittest -q test_cpu_stats 2>&1) >&2

trap wine_session_stop EXIT
wine_session_start
LINES=1
if [ -n "${CADRO_BENCH_SHOWAPM:-}" ]; then
    "$CADRO_WINE" reg add 'HKCU\Software\Vorkel\cadro\MAIN' /v showapm /t REG_DWORD /d "$CADRO_BENCH_SHOWAPM" /f \
        >/dev/null 2>&1
    [ "$CADRO_BENCH_SHOWAPM" = 0 ] && LINES=0
    /usr/lib/wine/wineserver -w 2>/dev/null || true
fi

mkdir -p out
status=0
{
    echo "Measured $(date '+%Y-%m-%d %H:%M %Z') on $(nproc) CPUs ($(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')), $("$CADRO_WINE" --version), build/$CADRO_ARCH."
    echo
} >out/bench.md

# The CPU sessions: each a copy of this booted prefix with its own display and wineserver. Each run is a
# pair, one session of each side, and the side that goes first alternates, so that neither side always
# has the earlier period (or, side by side, the earlier start).
results="$(mktemp)"
export CADRO_PREFIX_TEMPLATE="$WINEPREFIX"
one_session() {
    local run="$1" order="$2" program="$3"
    echo "bench: CPU run $run of $RUNS, $program (${order} of 2), ${WINDOW} s windows" >&2
    bash tools/in_session.sh python3 tools/bench/cpu_sampler.py --program "$program" --run "$run" \
        --order "$order" --out "$results" -- "$CADRO_WINE" "$CADRO_BUILD/bin/cpu_session.exe" \
        --program "$program" --window "$WINDOW" --apm 300 --lines "$LINES" >&2 ||
        echo "run $run: $program failed" >>"$results.failed"
}
for run in $(seq "$RUNS"); do
    if [ $((run % 2)) -eq 1 ]; then sides=(cadro floor); else sides=(floor cadro); fi
    if [ -n "${PARALLEL:-}" ]; then
        one_session "$run" 1 "${sides[0]}" &
        first=$!
        one_session "$run" 2 "${sides[1]}"
        wait "$first"
    else
        one_session "$run" 1 "${sides[0]}"
        one_session "$run" 2 "${sides[1]}"
    fi
done
if [ -s "$results.failed" ]; then
    cat "$results.failed" >&2
    status=1
fi
rm -f "$results.failed"
python3 tools/bench/cpu_table.py "$results" --window "$WINDOW" ${PARALLEL:+--parallel} >>out/bench.md || status=1
rm -f "$results"

if [ -z "$CPU_ONLY" ]; then
    table="$(mktemp)"
    code=0
    "$CADRO_WINE" "$CADRO_BUILD/bin/bench.exe" "${WATCH[@]}" >"$table" || code=$?
    [ "$code" -eq 0 ] || status=$code
    { echo; tr -d '\r' <"$table"; } >>out/bench.md
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
fi
cat out/bench.md
[ "$status" -eq 0 ] || echo "bench: the run was not complete (exit code $status)" >&2
exit "$status"
