#!/usr/bin/env bash
# Runs a Windows program under Wine in a session of its own (see in_session.sh).
exec bash "$(dirname "$0")/in_session.sh" "${CADRO_WINE:?run the tests through tools/run_tests.sh}" "$@"
