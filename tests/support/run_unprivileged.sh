#!/usr/bin/env bash
# Runs the given test cases of a test program as an unprivileged user, because root's
# permissions bypass what these cases check. Not root: runs them as the current user.
# Every selected case must run and pass: a skip or an empty selection fails.
# Usage: run_unprivileged.sh <test program> <gtest filter>
set -euo pipefail
program=$1 filter=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run=()
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 "$work"
  # The build folder may not be readable by that user: run a copy from the work folder.
  cp "$program" "$work/program"
  chmod 0755 "$work/program"
  program=$work/program
  run=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
mkdir -p "$work/tmp"
[ "$(id -u)" = 0 ] && chown 65534:65534 "$work/tmp"
out=$(cd "$work" && HOME=$work TMPDIR=$work/tmp "${run[@]}" "$program" --gtest_filter="$filter" 2>&1) || {
  echo "$out"; exit 1; }
echo "$out"
if grep -q '^\[  SKIPPED \]' <<<"$out"; then echo "a case skipped in the unprivileged run"; exit 1; fi
grep -q '^\[  PASSED  \] [1-9]' <<<"$out" || { echo "no case ran"; exit 1; }
