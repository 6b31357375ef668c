#!/usr/bin/env bash
# Sets up this machine, builds, and runs every test (unit and end to end) under a private Wine session.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
source tools/wine_env.sh

cadro_build "$CADRO_ARCH"
# The product itself is 32-bit: it must build, warning-free, whichever architecture runs the tests.
[ "$CADRO_ARCH" = i686 ] || CADRO_TESTS=OFF cadro_build i686

trap wine_session_stop EXIT
wine_session_start
cd "$CADRO_BUILD"
ctest --output-on-failure --timeout 600 "$@"
