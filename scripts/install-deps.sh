#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: does nothing when everything is present. Uses sudo when not root.
set -euo pipefail

packages=(
  g++ cmake make
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev
  libjpeg-dev libjpeg-turbo-progs
  libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils fontconfig fonts-dejavu-core
  python3-xlrd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
