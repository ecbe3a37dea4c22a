#!/usr/bin/env bash
# Writes the starting corpora of the fuzz targets into the folder given (one
# subfolder per target), in each target's input layout (see fuzz/*.cpp).
set -euo pipefail
destino="$1"
mkdir -p "$destino/almacen" "$destino/escaneo" "$destino/correccion" "$destino/codificacion"

# The store: key length - 1, key, value length, value, then the store.
a="$destino/almacen"
printf '\000\347\001c' >"$a/vacio"
printf '\000\347\001c[lista]\r\n\347=x\r\n' >"$a/reemplaza"
printf '\000\307\002CC; notas\r\n[LISTA]\r\n\347=c\r\n[otra]\r\n\307=no\r\n' >"$a/anade"
printf '\000\011\001 \357\273\277[lista]\n\\x09=" "\n\n' >"$a/bom-escape"
printf '\001\200\201\003"a"[otra]\r\nk=v' >"$a/sin-seccion"
printf '\000\223\002\047\047[lista]\r\n  \223 = "\047x\047" \r\n\223=dup\r\n' >"$a/comillas"
# The delete answer (the high bit of the first byte) over a value, and a
# value over a delete answer ("" and '' both read as one).
printf '\200\347\000[lista]\r\n\347=c\r\n' >"$a/borrar"
printf '\000\223\001x[lista]\r\n\223=""\r\n\224=\047\047\r\n' >"$a/sobre-borrar"
# Stores saved as UTF-8 and UTF-16 (LE, BE): ç as a character, ą=ā an answer
# Windows-1252 cannot hold, ł written as itself.
printf '\000\347\001c\357\273\277[lista]\r\n\304\205=\304\201\r\n\303\247=x\r\n' >"$a/utf8"
printf '\000\307\002\307\200\377\376[\000l\000i\000s\000t\000a\000]\000\r\000\n\000\347\000=\000x\000' >"$a/utf16le"
printf '\003U+01\001L\376\377\000[\000L\000I\000S\000T\000A\000]\000\n\001\102\000=\000l' >"$a/utf16be"

# The scan: number of cuts, each cut (two bytes), then the text.
e="$destino/escaneo"
printf '\000Ni\361o \341rbol\r\nsegunda l\355nea\r\n' >"$e/limpio"
printf '\001\004\000ab\r\ncd\347\r\r\n\n\223x\224\n' >"$e/saltos"
printf '\002\001\000\003\000\000\011\177\200\377^`|\r' >"$e/controles"
{
    printf '\003\100\000\101\000\377\000'
    head -c 300 /dev/zero | tr '\0' 'a'
    printf '\347'
} >"$e/largo"

# The engine: number of rows, each row (character, length - 1, replacement),
# then the text.
c="$destino/correccion"
printf '\001\347\000ca\347b\347' >"$c/una"
printf '\002^\001|x|\000Ia^b|c' >"$c/cadena"
printf '\002\200\037\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\201\037zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz\200\201' >"$c/crece"
printf '\002\r\000x\n\000y\r\n\n\r' >"$c/saltos"
printf '\002\347\001c\347\347\001\347\347\347' >"$c/propio"

# Encodings: number of cuts, each cut (two bytes), then the text.
u="$destino/codificacion"
printf '\001\002\000caf\303\251 \342\200\223 \305\202\r\n\342\200\213' >"$u/utf8"
printf '\000\357\273\277Ni\303\261o \360\237\230\200\n' >"$u/marca"
printf '\000\303\251 luego \351' >"$u/casi"
printf '\000\377\376a\000\002\330' >"$u/utf16"
