#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and benchmark Brevanto.
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build make pkg-config clang libclang-rt-14-dev clang-format
  # libraries
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libmsnumpress-dev libssl-dev libexpat1-dev
  nlohmann-json3-dev libcli11-dev
  qt6-base-dev qt6-qpa-plugins qt6-svg-dev libgl-dev fonts-dejavu-core
  # tests, benchmarks and the workflow: reference readers, the desktop on a real X server
  python3 time bc openms openms-common python3-pymzml libxml2-utils snakemake
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
