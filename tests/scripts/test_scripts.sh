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
id() { if [ "$1" = -u ]; then echo "$f_uid"; else [ "$f_usuario" = si ]; fi; }
dpkg-query() {
    case " $f_faltan " in
    *" ${*: -1} "*) printf 'unknown ok not-installed' ;;
    *) printf 'hold ok installed' ;;
    esac
}
apt-get() { apunta apt-get "$@"; }
useradd() { apunta useradd "${*: -1}"; }
stat() { echo 1000:1000; }
chown() { apunta chown "$@"; }
ctest() { apunta ctest; return "$f_ctest"; }
nproc() { echo 2; }
bash() { apunta bash "$@"; }
runuser() { # runuser -u USER -- COMMAND...
    local u=$2
    shift 3
    if [ "$1" = test ]; then
        case " $f_vedados " in *" $3 "*) return 1 ;; esac
        return 0
    fi
    apunta ctest como "$u"
    [ "$f_ctest" != term ] || kill -TERM "$BASHPID"
    return "$f_ctest"
}

pasan=0
fallan=0
# Runs "$@" in a subshell as a script would (set -e), with sudo or not.
caso() {
    : >"$registro"
    set +e
    { # (bash's own "Terminated" for the killed subshell goes to /dev/null)
        (
            set -e
            # shellcheck disable=SC2123  # no real command, on purpose
            PATH=/sin-programas
            # shellcheck disable=SC2317
            [ "$f_sudo" = no ] || sudo() { apunta sudo "$@"; }
            "$@"
        ) >"$salida" 2>&1
    } 2>/dev/null
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

raiz=/root/x/tildora
b=$raiz/build
prestado="chown -R tildora-pruebas $b; ctest como tildora-pruebas; "
devuelto="chown -R 1000:1000 $b; "
root="bash $raiz/tests/scripts/pruebas_root.sh $b/app/tildora tildora-pruebas tildora-pruebas2 5 ; "
lento="$prestado$root$devuelto"
# uid | user exists | paths it cannot reach | ctest's status | status | output | commands run
probar=(
    "1000|no||0|0||ctest; "
    "0|no||0|0||useradd tildora-pruebas; ${prestado}useradd tildora-pruebas2; $root$devuelto"
    "0|si||0|0||$lento"
    "0|si||8|8||$prestado$devuelto"
    "0|si||term|143||$prestado$devuelto"
    "0|si|/root|0|0|tildora-pruebas erabiltzaileak ez baitu sarbiderik hona: /root / |ctest; "
    "0|no|$raiz/scripts/comun.sh|0|0|no tiene acceso a: $raiz/scripts/comun.sh|useradd tildora-pruebas; ctest; "
    "0|si|/root|3|3|Se saltarán las pruebas de permisos|ctest; "
)
f_sudo=no
for fila in "${probar[@]}"; do
    IFS='|' read -r f_uid f_usuario f_vedados f_ctest e_estado e_texto e_registro <<<"$fila"
    caso probar_carpeta "$b" "$raiz"
    comprueba "probar $fila" "$e_estado" "$e_texto" "$e_registro"
done

echo "$pasan passed, $fallan failed"
[ "$fallan" -eq 0 ]
