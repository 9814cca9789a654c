#!/usr/bin/env bash
# Runs the tests that move bytes in real time (the bench pass and the real-device tests over
# pseudo-terminals) while busy loops keep every core loaded, as a loaded CI machine is.
#   bash scripts/load_check.sh [build folder, default build] [busy loops per core, default 4]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
per_core=${2:-4}
loops=$(( $(nproc) * per_core ))
pids=()
for _ in $(seq "$loops"); do
  sh -c 'while :; do :; done' &
  pids+=($!)
done
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
sleep 5  # let the load build up before the first test starts
echo "load: $loops busy loops on $(nproc) cores; $(cut -d' ' -f1-3 /proc/loadavg)"
cd "$here/$dir"
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L bench
ctest --output-on-failure -j "$(nproc)" --timeout 600 -R 'RealDevice|DrainOnClose|PortSettingsOnRealDevices'
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
