#!/usr/bin/env bash
# Sets up this machine, builds, and runs every test (unit and end to end) under Wine. Each test runs in a
# session of its own (display, prefix, wineserver), copied from one booted here, so they run side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash tools/setup.sh
source tools/wine_env.sh

cadro_build "$CADRO_ARCH"
# The product itself is 32-bit: it must build, warning-free, whichever architecture runs the tests.
[ "$CADRO_ARCH" = i686 ] || CADRO_TESTS=OFF cadro_build i686

trap wine_session_stop EXIT
wine_session_start
export CADRO_PREFIX_TEMPLATE="$WINEPREFIX"
cd "$CADRO_BUILD"
# Most end-to-end time is real time spent waiting on games, so more tests than cores run at once.
set +e
ctest --output-on-failure --timeout 600 -j "${CADRO_TEST_JOBS:-6}" "$@"
code=$?
echo "run_tests: $(( SECONDS - started )) s in all, build included"
exit $code
