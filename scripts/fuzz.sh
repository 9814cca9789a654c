#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang (ASan + UBSan) into build-fuzz and runs
# each for the given number of seconds (default 60), on a corpus seeded from tests/data and
# fuzz/seeds. Prints executions and coverage per harness; fails on any finding, whose input is
# left in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [seconds] [harness ...]      K45_FUZZ_JOBS=n runs n harnesses at once;
# K45_BUILD_JOBS=n limits the parallel compile jobs (default: one per core).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}; shift || true
if ! command -v clang++-14 >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "Installing clang-14 and its fuzzer run time"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang-14 libclang-rt-14-dev
fi
bash "$here/scripts/setup.sh"
build=$here/build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DK45_BUILD_FUZZ=ON -DK45_BUILD_TESTS=OFF -DK45_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "${K45_BUILD_JOBS:-$(nproc)}" --target k45_fuzzers
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  mapfile -t harnesses < <(sed -n 's/^k45_fuzzer(\([a-z0-9_]*\).*/\1/p' "$here/fuzz/CMakeLists.txt")
fi

# Seeds: the files of tests/data a harness reads, and the hand-made ones of fuzz/seeds/<name>.
seed() {
  local name=$1 corpus=$build/corpus/$1
  mkdir -p "$corpus"
  case $name in
    fuzz_data_file) cp "$here"/tests/data/*.dat "$corpus"/ ;;
    fuzz_test_file) cp "$here"/tests/data/*.tst "$corpus"/ ;;
    fuzz_radio_spec) cp "$here"/tests/data/*.cfg "$corpus"/ ;;
    fuzz_k45_file) cp "$here"/tests/data/*.k45 "$corpus"/ ;;
    fuzz_dia_file) cp "$here"/tests/data/*.dia "$corpus"/ 2>/dev/null || true ;;
    fuzz_tune_ini) cp "$here"/tests/data/tune*.ini "$corpus"/ 2>/dev/null || true ;;
    fuzz_profile) cp "$here"/tests/data/*.dat "$here"/tests/data/*.tst "$here"/tests/data/*.cfg "$here"/tests/data/*.k45 "$corpus"/ ;;
    fuzz_param_image)
      for f in "$here"/tests/data/image_*.hex; do
        local n; n=$(basename "$f" .hex)
        case $n in *rnet_v02) l='\x00' ;; *rnet_v03) l='\x01' ;; *) l='\x02' ;; esac
        { grep -v '^#' "$f" | cut -d: -f2 | tr -cd '0-9A-Fa-f' | xxd -r -p; printf "$l"; } >"$corpus/$n"
      done ;;
  esac
  if [ -d "$here/fuzz/seeds/$name" ]; then cp "$here/fuzz/seeds/$name"/* "$corpus"/; fi
}

run() {
  local name=$1 log=$build/logs/$1.log
  seed "$name"
  mkdir -p "$build/logs" "$build/findings"
  if "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/findings/$name-" "$build/corpus/$name" >"$log" 2>&1; then
    local execs cov
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    printf '%-18s %12s executions  coverage %6s edges  corpus %s\n' "$name" "${execs:-?}" "${cov:-?}" \
      "$(ls "$build/corpus/$name" | wc -l)"
  else
    printf '%-18s FINDING (see %s)\n' "$name" "$log"
    grep -m3 -E 'invariant broken|ERROR:|runtime error' "$log" || true
    return 1
  fi
}

failed=0
jobs=${K45_FUZZ_JOBS:-1}
if [ "$jobs" -le 1 ]; then
  for h in "${harnesses[@]}"; do run "$h" || failed=1; done
else
  export -f run seed; export build here seconds
  printf '%s\n' "${harnesses[@]}" | xargs -P "$jobs" -I{} bash -c 'run {}' || failed=1
fi
exit $failed
