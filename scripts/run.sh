#!/usr/bin/env bash
# Builds and starts the program. K45MR_ENGINEERING=1 starts the engineering build.
# Arguments go to the program (for example /ProductionTest).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh" build
exe=k45mr
[ "${K45MR_ENGINEERING:-0}" = 1 ] && exe=k45mr-engineering
exec "$here/build/src/app/$exe" "$@"
