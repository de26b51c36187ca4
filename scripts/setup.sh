#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev libgl-dev
  libpcre2-dev libicu-dev libzip-dev libpugixml-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xauth xvfb
  datamash mawk time
  desktop-file-utils help2man
)
# The Windows build of the companion library and its client test under Wine.
if [ "${TWINSIFT_SKIP_WINDOWS:-0}" != 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
