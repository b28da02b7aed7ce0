#!/usr/bin/env bash
# Installs the packages that building and testing Zoral need (Debian 12, as root).
# Runs apt-get update only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang lld libclang-rt-14-dev clang-format jq
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libpugixml-dev libicu-dev libboost-context-dev
  # The toolkit of the program's windows, and its vector images.
  qt6-base-dev qt6-svg-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
