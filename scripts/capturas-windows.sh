#!/usr/bin/env bash
# Makes the pictures of the Windows face that docs/windows.md shows, taken
# under Wine from its real windows (tests/win32/capturas/capturas.cpp), on
# an Xvfb of the script's own: windows-eleccion.png (the first window, both
# names typed), windows-conversion.png (… chosen, its occurrences marked,
# "2 / 2" after F3) and windows-previa.png (F4, € left without an answer),
# at 96 dpi, and the same at 192 dpi as -2x.png, into docs/capturas/ or the
# folder given. Builds the pictures' program in build-windows/ (configured
# as scripts/windows.sh configures it), or uses the Windows build folder
# given with --build. See docs/capturas.md.
#   scripts/capturas-windows.sh [--build CARPETA_WINDOWS] [CARPETA]
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
source "$raiz/scripts/comun.sh"

compilacion=""
if [ "${1:-}" = --build ]; then
    compilacion="$(realpath -m "$2")"
    shift 2
fi
destino="$(realpath -m "${1:-$raiz/docs/capturas}")"
instalar_lo_que_falta "${PAQUETES_WINDOWS[@]}"
if [ -z "$compilacion" ]; then
    compilacion="$raiz/build-windows"
    cmake -S "$raiz" -B "$compilacion" --toolchain "$raiz/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTILDORA_WITH_UI=OFF -DTILDORA_WITH_BENCH=OFF
fi
cmake --build "$compilacion" -j"$(nproc)" --target tildora_win32_capturas
programa="$compilacion/tests/win32/tildora_win32_capturas.exe"

trabajo="$(mktemp -d)"
xvfb=""
terminar() {
    local prefijo
    for prefijo in "$trabajo"/wine-*; do
        [ -d "$prefijo" ] || continue
        WINEPREFIX="$prefijo" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    done
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$trabajo"
}
trap terminar EXIT

# An X server of our own, on the first free display from 90: large enough for
# the conversion window at 192 dpi.
pantalla=90
while [ -e "/tmp/.X11-unix/X$pantalla" ] || [ -e "/tmp/.X$pantalla-lock" ]; do
    pantalla=$((pantalla + 1))
done
Xvfb ":$pantalla" -screen 0 2400x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$pantalla"
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$pantalla" ] && break
    sleep 0.1
done

# A Wine prefix for each density: Wine takes the screen's dots per inch from
# the prefix's HKCU\Control Panel\Desktop LogPixels. cmake/wine.sh makes the
# prefix; the value is set before the pictures' run.
mkdir -p "$destino"
for ppp in 96 192; do
    prefijo="$trabajo/wine-$ppp"
    wine=(bash "$raiz/cmake/wine.sh" "$prefijo" /usr/lib/wine/wine64)
    "${wine[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$ppp" /f >/dev/null 2>&1
    # The value is read when the Wine server starts: it starts again.
    WINEPREFIX="$prefijo-$(id -u)" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    mkdir -p "$trabajo/$ppp"
    # The folder as Wine names it: the Z: drive is the root of the file system.
    "${wine[@]}" "$programa" "Z:$trabajo/$ppp"
    sufijo=""
    [ "$ppp" = 96 ] || sufijo="-2x"
    for bmp in "$trabajo/$ppp"/*.bmp; do
        nombre="$(basename "$bmp" .bmp)"
        python3 "$raiz/scripts/bmp_a_png.py" "$bmp" "$destino/$nombre$sufijo.png"
    done
done
printf '%s\n' "Argazkiak / Capturas: $destino"
