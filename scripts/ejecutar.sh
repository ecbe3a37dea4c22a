#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. With no desktop
# at hand (no DISPLAY or WAYLAND_DISPLAY) it starts under a virtual X server.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
bash "$raiz/scripts/instalar.sh"
bash "$raiz/scripts/compilar.sh" "$raiz/build"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$raiz/build/app/tildora" "$@"
else
    exec xvfb-run -a "$raiz/build/app/tildora" "$@"
fi
