#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Idempotent: installs
# only what is missing.
set -euo pipefail
packages=(build-essential cmake libgtest-dev libgmock-dev libbenchmark-dev libwxgtk3.2-dev
          xvfb xauth libx11-dev fonts-dejavu-core clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
