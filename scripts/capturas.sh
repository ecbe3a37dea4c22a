#!/usr/bin/env bash
# Makes the pictures of the two windows that the documentation shows, taken
# from the real windows on the offscreen platform (tests/ui/capturas.cpp):
# installs what is missing, builds build/, and writes eleccion.png,
# conversion.png, conversion-marcas.png, conversion-previa.png,
# conversion-maximizada.png (maximised on a 1366x768 screen) and the
# conversion window's pictures at 2x (-2x.png, on a 2732x1536 screen) into
# docs/capturas/, or into the folder given. See docs/capturas.md.
#   scripts/capturas.sh [CARPETA]
# With --pruebas it draws instead every window as the window tests leave it
# (the grid with quotes, dashes, an emoji, a C1 control and a blank answer
# among them) at 1x and 2x, into CARPETA/1x and CARPETA/2x (default:
# build/capturas-pruebas), for a person to look at, on a screen of 1366x768
# (2732x1536 at 2x), so that no window is cut to a smaller screen.
#   scripts/capturas.sh --pruebas [CARPETA]
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
bash "$raiz/scripts/instalar.sh"
if [ "${1:-}" = --pruebas ]; then
    destino="$(realpath -m "${2:-$raiz/build/capturas-pruebas}")"
    bash "$raiz/scripts/compilar.sh" "$raiz/build"
    pantalla="$(mktemp -d)"
    trap 'rm -rf "$pantalla"' EXIT
    for escala in 1 2; do
        rm -rf "$destino/${escala}x"
        printf '{"windowFrameMargins": false, "screens": [{"name": "pruebas", "x": 0, "y": 0, "width": %d, "height": %d, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}\n' \
            $((1366 * escala)) $((768 * escala)) >"$pantalla/${escala}x.json"
        for prueba in test_seleccion test_conversion; do
            TILDORA_CAPTURAS="$destino/${escala}x" QT_SCALE_FACTOR="$escala" \
                QT_QPA_PLATFORM="offscreen:configfile=$pantalla/${escala}x.json" \
                "$raiz/build/tests/ui/$prueba" >/dev/null
        done
    done
    printf '%s\n' "Argazkiak / Capturas: $destino/1x $destino/2x"
    exit
fi
destino="${1:-$raiz/docs/capturas}"
# Configured as scripts/compilar.sh does; only the pictures' program is built.
cmake -S "$raiz" -B "$raiz/build" -DCMAKE_BUILD_TYPE=Release -DTILDORA_WITH_UI=ON
cmake --build "$raiz/build" -j"$(nproc)" --target capturas
"$raiz/build/tests/ui/capturas" "$destino"
printf '%s\n' "Argazkiak / Capturas: $destino"
