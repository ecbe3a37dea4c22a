#!/usr/bin/env bash
# The documents a newcomer reads: the README's two set-up commands stand in
# its first 40 lines and name scripts that are there, and every relative link
# and picture of README.md and docs/*.md leads to a file that is there (and
# to a heading of it, when it names one). Fails, naming each fault.
set -u
export LC_ALL=C.UTF-8
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
fallos=0
falla() {
    printf '%s\n' "$1" >&2
    fallos=$((fallos + 1))
}

for orden in ejecutar.sh probar.sh; do
    head -n 40 "$raiz/README.md" | grep -qxF "    bash scripts/$orden" ||
        falla "README.md: \"bash scripts/$orden\" is not among the first 40 lines"
    [ -f "$raiz/scripts/$orden" ] || falla "scripts/$orden: no such script"
done

# The anchors of a Markdown file's headings, as the usual viewers make them:
# lower case, punctuation dropped, spaces as hyphens.
anclas() {
    grep -E '^#{1,6} ' "$1" | sed -E 's/^#+ +//; s/.*/\L&/; s/[^[:alnum:] _-]//g; s/ /-/g'
}

for md in "$raiz/README.md" "$raiz"/docs/*.md; do
    nombre="${md#"$raiz"/}"
    carpeta="$(dirname "$md")"
    grep -q '!\[\]' "$md" && falla "$nombre: a picture without alt text"
    while IFS= read -r enlace; do
        destino="${enlace#](}"
        destino="${destino%)}"
        case "$destino" in
        http://* | https://* | mailto:*) continue ;;
        esac
        fichero="${destino%%#*}"
        ancla=""
        [ "$fichero" = "$destino" ] || ancla="${destino#*#}"
        ruta="$md"
        [ -z "$fichero" ] || ruta="$carpeta/$fichero"
        if [ ! -e "$ruta" ]; then
            falla "$nombre: $destino: no such file"
        elif [ -n "$ancla" ] && ! anclas "$ruta" | grep -qxF "$ancla"; then
            falla "$nombre: $destino: no such heading"
        fi
    done < <(grep -oE '\]\([^) ]+\)' "$md")
done

if [ "$fallos" -gt 0 ]; then
    echo "Dokumentuetan $fallos akats / $fallos fallos en los documentos" >&2
    exit 1
fi
