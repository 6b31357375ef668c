#!/usr/bin/env bash
# Runs a Windows program under the Wine session that tools/run_tests.sh set up.
exec "${CADRO_WINE:?run the tests through tools/run_tests.sh}" "$@"
