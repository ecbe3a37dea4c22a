#!/usr/bin/env bash
# Builds Tildora into build/ (or the folder given as first argument; further
# arguments go to CMake).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
carpeta="${1:-$raiz/build}"
shift || true
cmake -S "$raiz" -B "$carpeta" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$carpeta" -j"$(nproc)"
