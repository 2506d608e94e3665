#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and benchmark Brevanto.
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libmsnumpress-dev libssl-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core qt6-svg-dev libcli11-dev
  xvfb openbox
  python3
  nlohmann-json3-dev libcli11-dev time bc
  libexpat1-dev openms openms-common python3-pymzml libxml2-utils
  snakemake
  xvfb openbox xdotool x11-utils imagemagick xclip
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

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
