#!/usr/bin/env bash
# Builds the program for Windows with Debian's mingw-w64 cross compiler
# (cmake/mingw-w64-x86_64.cmake) in build-windows/: tildora.exe, the windows
# (the native Win32 face, ui-win32/; no console; the command line too), and
# tildora.com, what a console runs for `tildora`: a small console program
# that runs the command in tildora.exe (cli/lanzador.h). Makes
# build-windows/tildora-VERSION-windows-x86_64.zip: both programs, the
# Windows README in both languages and the licence; and beside it the
# installer, tildora-VERSION-windows-x86_64.msi (scripts/instalador.sh).
#   scripts/windows.sh            build and make the zip
#   scripts/windows.sh --probar   build, run the tests under Wine (the
#                                 windows' on one Xvfb), make the zip
#   scripts/windows.sh --sonda    GoogleTest and the INI probe alone, in
#                                 build-windows-sonda/, and their test under Wine
# Installs what is missing first. As root the tests run as tildora-pruebas,
# as scripts/probar.sh runs them (probar_carpeta in comun.sh). Prints the
# zip's and the installer's paths last.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
source "$raiz/scripts/comun.sh"

probar=0
sonda=0
case "${1:-}" in
"") ;;
--probar) probar=1 ;;
--sonda) sonda=1 ;;
*)
    echo "Erabilera / Uso: $0 [--probar | --sonda]" >&2
    exit 2
    ;;
esac
instalar_lo_que_falta "${PAQUETES_WINDOWS[@]}"
# The windows' tests need an X server, all of them the same one: without a
# display the script runs again under one Xvfb of its own, which any user
# may reach (-ac: the tests may run as another user, as root does below).
if [ "$probar$sonda" != 00 ] && [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-ac -screen 0 1280x1024x24" bash "$0" "$@"
fi

# Smallest code, so that the programs stay well under 3 MB together (the
# core's hot loops are written with their own vector instructions).
cadena=(--toolchain "$raiz/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel)
carpeta="$raiz/build-windows"
[ "$sonda" = 0 ] || carpeta="$raiz/build-windows-sonda"

# The Wine servers the tests started (one per user's prefix, wine-UID) would
# outlive the run: they are stopped as the user who owns each prefix, at the
# end however it ends (as root, before the folder is given back, by
# probar_carpeta's devolver_carpeta).
parar_wine() {
    local prefijo dueno
    for prefijo in "$carpeta"/wine-*/; do
        [ -d "$prefijo" ] || continue
        dueno="$(stat -c %U "$prefijo")"
        if [ "$(id -u)" -eq 0 ] && [ "$dueno" != root ]; then
            runuser -u "$dueno" -- env WINEPREFIX="$prefijo" /usr/lib/wine/wineserver64 -k 2>/dev/null
        else
            WINEPREFIX="$prefijo" /usr/lib/wine/wineserver64 -k 2>/dev/null
        fi || true
    done
}
antes_de_devolver() { parar_wine; }

if [ "$sonda" = 1 ]; then
    cmake -S "$raiz" -B "$carpeta" "${cadena[@]}" -DTILDORA_SOLO_SONDA=ON
    cmake --build "$carpeta" -j"$(nproc)"
    trap parar_wine EXIT
    probar_carpeta "$carpeta" "$raiz" --sin-root
    exit
fi

cmake -S "$raiz" -B "$carpeta" "${cadena[@]}" -DTILDORA_WITH_UI=OFF -DTILDORA_WITH_BENCH=OFF
cmake --build "$carpeta" -j"$(nproc)"
if [ "$probar" = 1 ]; then
    trap parar_wine EXIT
    probar_carpeta "$carpeta" "$raiz" --sin-root
fi

# The zip holds one folder, so that unpacking it scatters nothing. The texts
# have CR LF line ends, which every Windows editor shows as lines.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$carpeta/CMakeCache.txt")"
nombre="tildora-$version-windows-x86_64"
rm -rf "$carpeta/zip" "$carpeta/$nombre.zip"
mkdir -p "$carpeta/zip/$nombre"
for programa in tildora.exe tildora.com; do
    x86_64-w64-mingw32-strip -o "$carpeta/zip/$nombre/$programa" "$carpeta/app/$programa"
done
cp "$raiz/data/LEEME-windows.txt" "$carpeta/zip/$nombre/IRAKURRI-LEEME.txt"
sed 's/$/\r/' "$raiz/COPYING" >"$carpeta/zip/$nombre/COPYING.txt"
(cd "$carpeta/zip" && cmake -E tar cf "../$nombre.zip" --format=zip "$nombre")
ls "$carpeta/$nombre.zip"

# The installer beside the zip, from the same programs (docs/instalador.md).
bash "$raiz/scripts/instalador.sh" "$carpeta/app" "$version" "$carpeta/$nombre.msi"
ls "$carpeta/$nombre.msi"
