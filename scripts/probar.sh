#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/probar.sh            optimised build in build/
#   scripts/probar.sh --sanitize AddressSanitizer + UBSan build in build-san/
# As root the tests run as an ordinary user, so that the tests of unreadable
# files and read-only folders can deny something.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
bash "$raiz/scripts/instalar.sh"

if [ "${1:-}" = "--sanitize" ]; then
    carpeta="$raiz/build-san"
    bash "$raiz/scripts/compilar.sh" "$carpeta" -DTILDORA_SANITIZE=ON -DTILDORA_WITH_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
    # Qt and fontconfig keep caches alive until exit; leaks are not what this
    # run looks for.
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    carpeta="$raiz/build"
    bash "$raiz/scripts/compilar.sh" "$carpeta"
fi

ejecutar_ctest() {
    ctest --test-dir "$carpeta" --output-on-failure --timeout 600 -j"$(nproc)"
}

usuario=tildora-pruebas
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    id "$usuario" >/dev/null 2>&1 ||
        useradd --system --no-create-home --shell /usr/sbin/nologin "$usuario"
    chown -R "$usuario" "$carpeta"
fi
if [ "$(id -u)" -eq 0 ] && id "$usuario" >/dev/null 2>&1 &&
    runuser -u "$usuario" -- test -w "$carpeta/CTestTestfile.cmake"; then
    trap 'chown -R "$(id -u):$(id -g)" "$carpeta"' EXIT
    runuser -u "$usuario" -- env HOME=/tmp ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        ctest --test-dir "$carpeta" --output-on-failure --timeout 600 -j"$(nproc)"
else
    # The folder cannot be reached by another user: run as we are.
    ejecutar_ctest
fi
