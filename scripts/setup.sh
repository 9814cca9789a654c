#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing.
# Real package names only: a virtual name never reads as installed and would run apt every time.
set -euo pipefail
packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-serialport-dev
          libgtest-dev libgmock-dev libbenchmark-dev lrzsz libgl-dev
          xvfb openbox xdotool x11-utils)
# One query for all of them; a package dpkg has never heard of is missing too.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null | awk '/install ok installed/ {print $1}' || true)
missing=()
for p in "${packages[@]}"; do
  grep -Fqx "$p" <<<"$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
