#!/usr/bin/env bash
# Runs a command beside a busy loop on every core, to prove that it passes on a loaded machine:
#   bash tools/with_load.sh bash tools/run_tests.sh
# The loops run at the command's own priority and are stopped by their ids when it ends.
set -uo pipefail
burners=()
stop() { [ ${#burners[@]} -eq 0 ] || kill "${burners[@]}" 2>/dev/null; wait "${burners[@]}" 2>/dev/null; }
trap stop EXIT
for _ in $(seq "$(nproc)"); do
    bash -c 'while :; do :; done' &
    burners+=($!)
done
echo "with_load: ${#burners[@]} busy loops (pids ${burners[*]})" >&2
"$@"
