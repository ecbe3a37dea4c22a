#!/usr/bin/env bash
# The INI probe against the Windows profile service (under Wine here): what
# it writes is the store's own layout (Windows-1252, CR LF, [lista]), what it
# reads from a file in that layout comes out in UTF-8, a missing key and a
# character Windows-1252 lacks are told apart from a value, and the delete
# answer reads as an empty value.
#   test_sonda.sh [RUNNER...] SONDA_INI.EXE
set -uo pipefail
[ $# -ge 1 ] || { echo "uso: $0 [RUNNER...] SONDA_INI.EXE" >&2; exit 2; }
SONDA=("$@")
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
fallos=0

# A check: its name, the expected status and standard output (a literal
# with backslash escapes), then the probe's arguments.
mira() {
    local nombre=$1 estado=$2 esperado salida real
    esperado="$(printf '%bx' "$3")"
    shift 3
    salida="$("${SONDA[@]}" "$@" 2>"$tmp/error"; echo "x$?")"
    real=${salida##*x}
    salida=${salida%x*}x
    if [ "$real" != "$estado" ] || [ "$salida" != "$esperado" ]; then
        printf 'FAILED  %s: status %s (want %s), output %q (want %q)\n' \
            "$nombre" "$real" "$estado" "${salida%x}" "${esperado%x}"
        cat "$tmp/error"
        fallos=$((fallos + 1))
    fi
}

# The bytes of file $2 are $3 (with backslash escapes).
bytes() {
    if ! cmp -s "$2" <(printf %b "$3"); then
        printf 'FAILED  %s: %s holds\n' "$1" "$2"
        od -c "$2"
        fallos=$((fallos + 1))
    fi
}

mira "write into a new file" 0 '' escribir nuevo.ini lista ç c
bytes "a new file is the store's layout" nuevo.ini '[lista]\r\n\xe7=c\r\n'
mira "read it back" 0 'c\n' leer nuevo.ini lista ç

printf '[lista]\r\n\x93="\r\n\x85=...\r\n\xe7=\x93a\x94\r\nvacio=\r\n' >tienda.ini
mira "read a key of Windows-1252" 0 '"\n' leer tienda.ini lista '“'
mira "read a value of Windows-1252" 0 '“a”\n' leer tienda.ini lista ç
mira "the section's name without regard to case" 0 '...\n' leer tienda.ini LISTA …
mira "an empty value" 0 '\n' leer tienda.ini lista vacio
mira "a missing key" 1 '' leer tienda.ini lista á
mira "a missing file" 1 '' leer nada.ini lista ç

mira "replace a value" 0 '' escribir tienda.ini lista … '…'
bytes "only that line changed" tienda.ini '[lista]\r\n\x93="\r\n\x85=\x85\r\n\xe7=\x93a\x94\r\nvacio=\r\n'
mira "a character Windows-1252 lacks" 2 '' escribir tienda.ini lista ā a
bytes "and nothing written" tienda.ini '[lista]\r\n\x93="\r\n\x85=\x85\r\n\xe7=\x93a\x94\r\nvacio=\r\n'
mira "a wrong use" 2 '' leer tienda.ini lista

# The delete answer is stored as a quoted empty value, which the service
# gives as an empty value: for an older copy of the program, no answer.
printf '[lista]\r\n\x97=""\r\n\x96=\047\047\r\n\x95= "" \r\n' >borrar.ini
mira "the delete answer reads as empty" 0 '\n' leer borrar.ini lista '—'
mira "between single quotes too" 0 '\n' leer borrar.ini lista '–'
mira "with blanks around" 0 '\n' leer borrar.ini lista '•'

[ "$fallos" -eq 0 ] || exit 1
echo "sonda_ini: bien / bien"
