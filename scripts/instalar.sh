#!/usr/bin/env bash
# Installs what building, running and testing Tildora need on Debian.
set -euo pipefail

paquetes=(
    build-essential cmake
    qt6-base-dev qt6-svg-dev libgl-dev
    libgtest-dev libbenchmark-dev
    fonts-dejavu-core xvfb xauth
)

faltan=()
for p in "${paquetes[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
if [ ${#faltan[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${faltan[@]}"
