#!/usr/bin/env bash
# Makes the pictures of the two windows that the documentation shows, taken
# from the real windows on the offscreen platform (tests/ui/capturas.cpp):
# installs what is missing, builds build/, and writes eleccion.png,
# conversion.png and conversion-2x.png into docs/capturas/, or into the
# folder given. See docs/capturas.md.
#   scripts/capturas.sh [CARPETA]
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
destino="${1:-$raiz/docs/capturas}"
bash "$raiz/scripts/instalar.sh"
# Configured as scripts/compilar.sh does; only the pictures' program is built.
cmake -S "$raiz" -B "$raiz/build" -DCMAKE_BUILD_TYPE=Release -DTILDORA_WITH_UI=ON
cmake --build "$raiz/build" -j"$(nproc)" --target capturas
"$raiz/build/tests/ui/capturas" "$destino"
printf '%s\n' "Argazkiak / Capturas: $destino"
