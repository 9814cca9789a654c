#!/usr/bin/env bash
# Builds the two programs (not the tests) and starts one. K45MR_ENGINEERING=1 starts the
# engineering build. Arguments go to the program (for example /ProductionTest).
# The program folder (settings, data files, help) is kept out of the build folder:
# $K45MR_HOME if set, else ${XDG_DATA_HOME:-~/.local/share}/k45mr, created and seeded on first start.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/setup.sh"
# Ninja re-runs CMake by itself when a CMakeLists changes; configure only a new build folder.
[ -f "$here/build/build.ninja" ] || cmake -S "$here" -B "$here/build" -G Ninja >/dev/null
cmake --build "$here/build" -j "$(nproc)" --target k45mr k45mr-engineering
exe=k45mr
[ "${K45MR_ENGINEERING:-0}" = 1 ] && exe=k45mr-engineering
home=${K45MR_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/k45mr}
mkdir -p "$home"
# The help file follows the program; settings and data files are the user's and are never touched.
cp -f "$here/build/src/app/K45MR.html" "$home/K45MR.html"
export K45MR_HOME=$home
exec "$here/build/src/app/$exe" "$@"
