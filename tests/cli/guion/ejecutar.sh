#!/usr/bin/env bash
# Runs the recorded command-line cases (casos.sh) with the executable given
# and writes what each left behind: the exit status, standard output and
# error, and the bytes of the files the case names, one transcript for all.
# With the transcript of a known-good build beside it (esperado.txt), any
# change of the command line's outputs shows as a difference.
#
#   tests/cli/guion/ejecutar.sh TILDORA            compare with esperado.txt
#   tests/cli/guion/ejecutar.sh --grabar TILDORA   write esperado.txt anew
#   tests/cli/guion/ejecutar.sh --sin-errores ...  leave standard error out
#   tests/cli/guion/ejecutar.sh --omitir LISTA ... leave out the cases LISTA
#                                                  names (windows.txt)
#
# TILDORA may be a command with arguments (a runner such as wine in front).
set -uo pipefail
aqui="$(cd "$(dirname "$0")" && pwd)"
grabar=0
con_errores=1
omitir=""
while [ $# -gt 0 ]; do
    case "$1" in
    --grabar) grabar=1 ;;
    --sin-errores) con_errores=0 ;;
    --omitir)
        omitir="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
        shift
        ;;
    *) break ;;
    esac
    shift
done
[ $# -ge 1 ] || {
    echo "uso: $0 [--grabar] [--sin-errores] [--omitir LISTA] TILDORA [ARG...]" >&2
    exit 2
}
TILDORA=("$@")
# The cases run in folders of their own: a relative name would be lost.
if [ -e "${TILDORA[0]}" ]; then
    TILDORA[0]="$(cd "$(dirname "${TILDORA[0]}")" && pwd)/$(basename "${TILDORA[0]}")"
fi
export LC_ALL=C

raiz="$(mktemp -d "${TMPDIR:-/tmp}/tildora-guion-XXXXXX")"
trap 'chmod -R u+rwx "$raiz" 2>/dev/null; rm -rf "$raiz"' EXIT
salida="$raiz/transcripcion.txt"
: >"$salida"
n=0

# Bytes as text that shows every one of them: escapes for the unprintable,
# a $ at each line's end, and the count, so that a missing final line break
# shows too.
bytes() {
    printf '  %s bytes\n' "$(wc -c <"$1")"
    sed -n 'l 0' -- "$1" | sed 's/^/  | /'
}

# A new case: a fresh empty folder to work in.
caso() {
    n=$((n + 1))
    cd "$raiz" || exit 2
    rm -rf "$raiz/c"
    mkdir "$raiz/c"
    cd "$raiz/c" || exit 2
    printf '\n### %d %s\n' "$n" "$*" >>"$salida"
}

# Runs the program with the case's store and keeps what it says. Standard
# input is the file `entrada` when the case made one, else nothing.
t() {
    local entrada=/dev/null estado
    [ -f ../entrada ] && entrada=../entrada
    printf '$ tildora %s\n' "$*" >>"$salida"
    "${TILDORA[@]}" --store caracteres.ini "$@" <"$entrada" >../stdout 2>../stderr
    estado=$?
    rm -f ../entrada
    printf 'status %d\nstdout:\n' "$estado" >>"$salida"
    bytes ../stdout >>"$salida"
    if [ "$con_errores" = 1 ]; then
        printf 'stderr:\n' >>"$salida"
        bytes ../stderr >>"$salida"
    fi
}

# The same without the case's store: for the options before the command.
t_solo() {
    local estado
    printf '$ tildora %s\n' "$*" >>"$salida"
    "${TILDORA[@]}" "$@" </dev/null >../stdout 2>../stderr
    estado=$?
    printf 'status %d\nstdout:\n' "$estado" >>"$salida"
    bytes ../stdout >>"$salida"
    if [ "$con_errores" = 1 ]; then
        printf 'stderr:\n' >>"$salida"
        bytes ../stderr >>"$salida"
    fi
}

# Standard input for the next run.
entrada() {
    printf "$@" >../entrada
}

# The bytes of each file named, or that it is not there.
ver() {
    local f
    for f in "$@"; do
        if [ -f "$f" ]; then
            printf 'file %s:\n' "$f" >>"$salida"
            bytes "$f" >>"$salida"
        else
            printf 'file %s: none\n' "$f" >>"$salida"
        fi
    done
}

# Every file the case's folder holds, hidden ones too.
listar() {
    printf 'files: %s\n' "$(find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')" >>"$salida"
}

# shellcheck source=casos.sh
source "$aqui/casos.sh"

if [ "$grabar" = 1 ]; then
    cp "$salida" "$aqui/esperado.txt"
    echo "$n casos grabados / casos grabados: $aqui/esperado.txt"
    exit 0
fi
esperado="$aqui/esperado.txt"
[ "$con_errores" = 1 ] || {
    esperado="$raiz/esperado-sin-errores.txt"
    awk '/^stderr:$/ {salta = 1; next} /^(### |\$ |status |stdout:|file |files:)/ {salta = 0}
         !salta' "$aqui/esperado.txt" >"$esperado"
}
# The cases LISTA names by their titles ("TITLE | why", # comments) are
# left out of both transcripts; the others keep their numbers. A title that
# names no case is an error: the list would leave out nothing.
if [ -n "$omitir" ]; then
    perdidos="$(awk -F' [|] ' 'NR == FNR { if ($0 !~ /^#/ && NF) fuera[$1] = 1; next }
        /^### / { t = $0; sub(/^### [0-9]+ /, "", t); delete fuera[t] }
        END { for (t in fuera) print t }' "$omitir" "$esperado")"
    if [ -n "$perdidos" ]; then
        printf '%s: no such case: %s\n' "$omitir" "$perdidos" >&2
        exit 2
    fi
    for f in esperado salida; do
        awk -F' [|] ' 'NR == FNR { if ($0 !~ /^#/ && NF) fuera[$1] = 1; next }
            /^### / { t = $0; sub(/^### [0-9]+ /, "", t); salta = (t in fuera) }
            !salta' "$omitir" "${!f}" >"$raiz/$f-omitido.txt"
        printf -v "$f" '%s' "$raiz/$f-omitido.txt"
    done
fi
if diff -u "$esperado" "$salida"; then
    echo "$n casos: igual / iguales"
    exit 0
fi
echo "$n casos: desberdinak / distintos" >&2
exit 1
