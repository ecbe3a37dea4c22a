#!/usr/bin/env bash
# The set-up scripts' decisions (scripts/comun.sh) on a fake system: the
# commands they call are functions below that answer from the table's columns
# and write what they are asked into a log; PATH is empty so nothing real runs.
set -euo pipefail
source "$(dirname "$0")/../../scripts/comun.sh"

registro="$(mktemp)"
salida="$(mktemp)"
trap 'rm -f "$registro" "$salida"' EXIT

apunta() { printf '%s; ' "$*" >>"$registro"; }
id() { echo "$f_uid"; }
dpkg-query() {
    case " $f_faltan " in
    *" ${*: -1} "*) printf 'unknown ok not-installed' ;;
    *) printf 'hold ok installed' ;;
    esac
}
apt-get() { apunta apt-get "$@"; }

pasan=0
fallan=0
# Runs "$@" in a subshell as a script would (set -e), with sudo or not.
caso() {
    : >"$registro"
    set +e
    (
        set -e
        PATH=/sin-programas
        [ "$f_sudo" = no ] || sudo() { apunta sudo "$@"; }
        "$@"
    ) >"$salida" 2>&1
    estado=$?
    set -e
}
# Checks status, output (empty, or holding the text) and log of the last case.
comprueba() {
    local nombre=$1 e_estado=$2 e_texto=$3 e_registro=$4 mal=""
    [ "$estado" = "$e_estado" ] || mal+=" status $estado, not $e_estado;"
    if [ -z "$e_texto" ]; then
        [ ! -s "$salida" ] || mal+=" unexpected output;"
    else
        grep -qF -- "$e_texto" "$salida" || mal+=" output lacks: $e_texto;"
    fi
    [ "$(<"$registro")" = "$e_registro" ] || mal+=" ran: $(<"$registro");"
    if [ -z "$mal" ]; then
        pasan=$((pasan + 1))
    else
        fallan=$((fallan + 1))
        printf 'FAIL %s:%s\n' "$nombre" "$mal"
        sed 's/^/    | /' "$salida"
    fi
}

# uid | sudo | missing packages | status | output | commands run
instalar=(
    "0|no||0||"
    "1000|no||0||"
    "0|no|cmake xauth|0||apt-get update; apt-get install -y --no-install-recommends cmake xauth; "
    "1000|si|cmake|0||sudo apt-get update; sudo apt-get install -y --no-install-recommends cmake; "
    "1000|no|cmake xauth|2|Pakete hauek falta dira / Faltan estos paquetes: cmake xauth|"
    "1000|no|xauth|2|su -c 'apt-get update && apt-get install -y --no-install-recommends xauth'|"
)
for fila in "${instalar[@]}"; do
    IFS='|' read -r f_uid f_sudo f_faltan e_estado e_texto e_registro <<<"$fila"
    caso instalar_lo_que_falta cmake qt6-base-dev xauth
    comprueba "instalar $fila" "$e_estado" "$e_texto" "$e_registro"
done

echo "$pasan passed, $fallan failed"
[ "$fallan" -eq 0 ]
