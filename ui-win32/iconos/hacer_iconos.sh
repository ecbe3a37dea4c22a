#!/usr/bin/env bash
# Makes the Windows icons of ui-win32/iconos/ from the pictures of resources/
# (SVG): the window's icon at 16, 32, 48 and 256 pixels, and each button's
# picture at the sizes a button asks for from 96 to 192 dots per inch. Each
# .ico holds PNG images (Windows Vista and later, and Wine, read them). Run
# it again after a picture changes, and commit the .ico files: the cross
# build then needs no SVG renderer.
#   bash ui-win32/iconos/hacer_iconos.sh
# Needs rsvg-convert (Debian: librsvg2-bin) and python3.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
destino="$raiz/ui-win32/iconos"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# hacer NOMBRE TAMAÑO...
hacer() {
    local nombre=$1 t pngs=()
    shift
    for t in "$@"; do
        rsvg-convert -w "$t" -h "$t" -o "$tmp/$nombre-$t.png" "$raiz/resources/$nombre.svg"
        pngs+=("$tmp/$nombre-$t.png")
    done
    python3 - "$destino/$nombre.ico" "${pngs[@]}" <<'PY'
import struct, sys
salida, pngs = sys.argv[1], sys.argv[2:]
datos = [open(p, "rb").read() for p in pngs]
cabecera = struct.pack("<HHH", 0, 1, len(datos))
lugar = 6 + 16 * len(datos)
entradas = b""
for d in datos:
    ancho, alto = struct.unpack(">II", d[16:24])
    entradas += struct.pack("<BBBBHHII", ancho % 256, alto % 256, 0, 0, 1, 32, len(d), lugar)
    lugar += len(d)
open(salida, "wb").write(cabecera + entradas + b"".join(datos))
PY
}

hacer ventana 16 20 24 32 40 48 64 256
for imagen in carpeta corregir salir aceptar cancelar previa buscar; do
    hacer "$imagen" 16 20 24 32 40 48
done
ls -l "$destino"/*.ico
