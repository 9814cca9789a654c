#!/usr/bin/env bash
# Lays out the C++ lines changed since REV (default: HEAD, i.e. what is not committed yet) by
# .clang-format. Lines nobody touched keep their layout; tables that read best as written sit
# between "// clang-format off" and "// clang-format on".
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
if ! command -v clang-format-14 >/dev/null; then
  echo "Installing clang-format-14"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang-format-14
fi
git clang-format-14 --binary clang-format-14 --extensions cpp,h "${1:-HEAD}" -- src tests bench fuzz
