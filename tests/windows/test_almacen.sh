#!/usr/bin/env bash
# The store of tildora.exe against the Windows profile service itself (the
# probe sonda_ini.exe, under Wine here), both ways: what `remember` writes,
# GetPrivateProfileStringA reads as the answers given; what
# WritePrivateProfileStringA writes, `list`, `check` and `fix` read as the
# answers it holds.
#   test_almacen.sh RUNNER... -- SONDA_INI.EXE TILDORA.EXE
set -uo pipefail
corredor=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    corredor+=("$1")
    shift
done
[ $# -eq 3 ] || { echo "uso: $0 RUNNER... -- SONDA_INI.EXE TILDORA.EXE" >&2; exit 2; }
sonda=("${corredor[@]}" "$2")
tildora=("${corredor[@]}" "$3")
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
fallos=0

fallo() {
    printf 'FAILED  %s\n' "$1"
    [ ! -s "$tmp/error" ] || cat "$tmp/error"
    fallos=$((fallos + 1))
}

# What the profile service reads for key $2 is $3 (with backslash escapes).
lee() {
    local esperado salida
    esperado="$(printf '%b' "$3")"
    salida="$("${sonda[@]}" leer caracteres.ini lista "$2" 2>"$tmp/error")" ||
        { fallo "$1: the service finds no $2"; return; }
    [ "$salida" = "$esperado" ] || fallo "$1: the service reads $(printf %q "$salida")"
}

# tildora with the store here; its standard output into $salida.
t() {
    salida="$("${tildora[@]}" --store caracteres.ini "$@" 2>"$tmp/error")"
}

# --- tildora writes, Windows reads ------------------------------------------
t remember ç c || fallo "remember ç"
t remember '“' '"' || fallo "remember “"
t remember '…' '...' || fallo "remember …"
t remember '«' ' x ' || fallo "remember « with blanks around"
t remember '—' --delete || fallo "remember — --delete"
lee "a letter" ç c
lee "a quote" '“' '"'
lee "three bytes" '…' '...'
lee "blanks around, kept by the quotes" '«' ' x '
lee "the delete answer is no answer to Windows" '—' ''
t remember ç k || fallo "remember ç again"
lee "a value replaced in place" ç k

# --- Windows writes, tildora reads -------------------------------------------
rm -f caracteres.ini caracteres.ini.lock
for par in 'Ç C' '€ EUR' 'Ø O'; do
    "${sonda[@]}" escribir caracteres.ini lista "${par% *}" "${par#* }" 2>"$tmp/error" ||
        fallo "the service writes ${par% *}"
done
t list || fallo "list"
esperado="$(printf '199\tÇ\tC\n128\t€\tEUR\n216\tØ\tO')"
[ "$salida" = "$esperado" ] || fallo "list shows $(printf %q "$salida")"
printf 'A\xc7ORA \x80 \xd8\r\n' >a.txt
t fix a.txt b.txt || fallo "fix with the service's answers"
cmp -s b.txt <(printf 'ACORA EUR O\r\n') || fallo "fix writes $(od -c b.txt | head -2)"
# And tildora goes on with the service's file, as the service with tildora's.
t remember ç c || fallo "remember into the service's file"
lee "the service's file, added to" ç c
lee "its own answers kept" 'Ç' C

[ "$fallos" -eq 0 ] || exit 1
echo "almacen: bien / bien"
