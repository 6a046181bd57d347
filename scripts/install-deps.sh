#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with, and
# generates the de_DE.UTF-8 locale the number text tests switch to.
# Idempotent: does nothing when everything is present. Uses sudo when not root.
set -euo pipefail

packages=(
  g++ cmake make
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libxkbcommon-dev
  libjpeg-dev libjpeg-turbo-progs libgif-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils fontconfig fonts-dejavu-core fonts-wine
  python3-xlrd strace
  python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pandas python3-pytest
  python3-matplotlib python3-tqdm
  locales
  dpkg-dev desktop-file-utils appstream groff-base xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A comma-decimal locale, so the tests can show that number text ignores it.
# Read the list whole first: grep -q stopping early would fail the pipe.
have_locales=$(locale -a 2>/dev/null || true)
if ! grep -qx 'de_DE\.utf8' <<<"$have_locales"; then
  echo "Generating locale de_DE.UTF-8" >&2
  if grep -qE '^[#[:space:]]*de_DE\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $sudo sed -i -E 's/^[#[:space:]]*(de_DE\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  else
    echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen
fi
