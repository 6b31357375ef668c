#!/usr/bin/env bash
# Runs one command (a test) in a Wine session of its own: its own Xvfb display, prefix and wineserver,
# stopped by their ids afterwards, so that tests can run side by side without sharing a screen,
# a foreground window or a registry. The prefix is copied from CADRO_PREFIX_TEMPLATE when one is given.
set -uo pipefail
source "$(dirname "$0")/wine_env.sh"
trap wine_session_stop EXIT
wine_session_start || exit 1
"$@"
exit $?
