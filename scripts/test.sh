#!/usr/bin/env bash
# Builds and runs every test. K45_SANITIZE=1 builds with ASan and UBSan into build-asan.
# Both builds treat a warning in src/ as an error.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${K45_SANITIZE:-0}" = 1 ]; then
  dir=build-asan; extra=(-DK45_SANITIZE=ON -DK45_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DK45_WERROR=ON)
  # The bench runs in real time: the sanitized program is slower, so its waits are wider.
  export K45_BENCH_TIME_SCALE=${K45_BENCH_TIME_SCALE:-3}
else
  dir=build; extra=(-DK45_WERROR=ON)
fi
bash "$here/scripts/build.sh" "$dir" "${extra[@]}"
cd "$here/$dir"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j "$(nproc)" --timeout 300
