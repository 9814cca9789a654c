#!/usr/bin/env bash
# Configures and builds into the given folder (default: build). Extra args go to cmake.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$here/$dir" -G Ninja "$@" >/dev/null
cmake --build "$here/$dir" -j "$(nproc)"
