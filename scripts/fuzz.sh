#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ with clang++ and runs each one
# for a while (60 seconds unless a number of seconds is given) from the starting
# corpora that scripts/semillas.sh writes. Any finding (a crash, a sanitizer
# report, a difference from a reference) stops the run with status 1 and
# leaves the input that caused it in build-fuzz/hallazgos/.
#   scripts/fuzz.sh            one minute each
#   scripts/fuzz.sh 3600       an hour each
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
source "$raiz/scripts/comun.sh"
segundos="${1:-60}"

instalar_lo_que_falta "${PAQUETES[@]}" "${PAQUETES_FUZZ[@]}"
carpeta="$raiz/build-fuzz"
CC=clang CXX=clang++ cmake -S "$raiz" -B "$carpeta" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTILDORA_FUZZ=ON -DTILDORA_WITH_UI=OFF -DTILDORA_WITH_BENCH=OFF
cmake --build "$carpeta" -j"$(nproc)" --target fuzz_almacen fuzz_escaneo fuzz_correccion fuzz_codificacion

bash "$raiz/scripts/semillas.sh" "$carpeta/semillas"
mkdir -p "$carpeta/hallazgos"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for objetivo in almacen escaneo correccion codificacion; do
    corpus="$carpeta/corpus/$objetivo"
    mkdir -p "$corpus"
    registro="$carpeta/fuzz_$objetivo.log"
    if ! "$carpeta/fuzz/fuzz_$objetivo" -max_total_time="$segundos" -print_final_stats=1 \
        -artifact_prefix="$carpeta/hallazgos/$objetivo-" "$corpus" "$carpeta/semillas/$objetivo" \
        >"$registro" 2>&1; then
        tail -n 60 "$registro" >&2
        echo "fuzz_$objetivo: hallazgoa / hallazgo: $carpeta/hallazgos/" >&2
        exit 1
    fi
    ejecuciones="$(sed -n 's/^stat::number_of_executed_units: *//p' "$registro")"
    echo "fuzz_$objetivo: $ejecuciones exekuzio / ejecuciones, ${segundos} s"
done
