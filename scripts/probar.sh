#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/probar.sh            optimised build in build/
#   scripts/probar.sh --sanitize AddressSanitizer + UBSan build in build-san/
#   scripts/probar.sh --sin-ventanas  the command line alone, without Qt, in
#                                     build-sinqt/
# As root the tests run as the system user tildora-pruebas (created if
# needed), so that the tests of unreadable files and read-only folders can
# deny something; see probar_carpeta in comun.sh.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
source "$raiz/scripts/comun.sh"
bash "$raiz/scripts/instalar.sh"

if [ "${1:-}" = "--sanitize" ]; then
    carpeta="$raiz/build-san"
    bash "$raiz/scripts/compilar.sh" "$carpeta" -DTILDORA_SANITIZE=ON -DTILDORA_WITH_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
    # Qt and fontconfig keep caches alive until exit; leaks are not what this
    # run looks for.
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
elif [ "${1:-}" = "--sin-ventanas" ]; then
    carpeta="$raiz/build-sinqt"
    bash "$raiz/scripts/compilar.sh" "$carpeta" -DTILDORA_WITH_UI=OFF -DTILDORA_WITH_BENCH=OFF
else
    carpeta="$raiz/build"
    bash "$raiz/scripts/compilar.sh" "$carpeta"
fi

probar_carpeta "$carpeta" "$raiz"
