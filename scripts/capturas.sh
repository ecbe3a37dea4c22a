#!/usr/bin/env bash
# Builds, then draws both windows to PNG files at 1x and 2x scale, as the
# window tests leave them (the grid with quotes, dashes, an emoji, a C1
# control and a blank answer among them), for a person to look at:
#   scripts/capturas.sh [FOLDER]     (default: build/capturas)
# FOLDER/1x and FOLDER/2x get one PNG per window and state.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
destino="$(realpath -m "${1:-$raiz/build/capturas}")"
bash "$raiz/scripts/instalar.sh"
bash "$raiz/scripts/compilar.sh" "$raiz/build"
for escala in 1 2; do
    rm -rf "$destino/${escala}x"
    for prueba in test_seleccion test_conversion; do
        TILDORA_CAPTURAS="$destino/${escala}x" QT_SCALE_FACTOR="$escala" \
            QT_QPA_PLATFORM=offscreen "$raiz/build/tests/ui/$prueba" >/dev/null
    done
done
echo "Irudiak / Capturas: $destino/1x $destino/2x"
