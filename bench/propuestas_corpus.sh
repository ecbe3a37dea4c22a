#!/usr/bin/env bash
# How many of the wrong characters of real text get a proposed replacement,
# against `iconv -t ASCII//TRANSLIT` on the same characters.
#
#   bench/propuestas_corpus.sh [-b BUILD] [-k FOLDER]
#
# The corpus is made, each time, from Debian packages (installed when
# missing): the Spanish manual pages (manpages-es) and fortunes
# (fortunes-es), the Spanish word list (wspanish), the Spanish and Basque
# hunspell dictionaries, iso-codes' Basque, Spanish, Greek, Russian and
# Georgian catalogues, and its Japanese, Korean and Chinese ones, which show
# that those characters are told apart (the .mo files, read with msgunfmt),
# and the Spanish and Basque catalogues of the programs every Debian system
# has (apt, dpkg, coreutils, bash, grep, findutils, diffutils, tar). It is
# written in UTF-8, in Windows-1252 (what fits) and in UTF-16, and each of the
# three is read by `tildora check`, so the characters counted are the ones the
# program itself finds. BUILD is the build folder (default: build/), FOLDER
# keeps the corpus and the lists (default: a temporary folder, removed at the
# end; propuestas.tsv there has every character with the three answers).
#
# A proposal is counted when the program has one (a replacement or the delete
# answer); the others' result (iconv's, and that of ICU's CLDR transforms
# alone, through uconv) when it is made of allowed characters and holds no
# `?` (an empty result counts, as a delete). Chinese, Japanese and Korean
# characters, which get no proposal on purpose, are counted apart. The run
# fails if any proposal holds a wrong character.
set -euo pipefail

raiz="$(cd "$(dirname "$0")/.." && pwd)"
build="$raiz/build"
guardar=""
while getopts "b:k:" o; do
    case "$o" in
    b) build="$(cd "$OPTARG" && pwd)" ;;
    k) guardar="$OPTARG" ;;
    *) echo "usage: $0 [-b BUILD] [-k FOLDER]" >&2; exit 2 ;;
    esac
done

source "$raiz/scripts/comun.sh"
paquetes=(manpages-es fortunes-es wspanish hunspell-es hunspell-eu iso-codes gettext icu-devtools
    python3)
instalar_lo_que_falta "${paquetes[@]}"

cmake --build "$build" --target tildora tildora_propuestas_caracteres >/dev/null
tildora="$build/app/tildora"
caracteres="$build/bench/tildora_propuestas_caracteres"

if [ -n "$guardar" ]; then
    mkdir -p "$guardar"
    trabajo="$(cd "$guardar" && pwd)"
else
    trabajo="$(mktemp -d "${TMPDIR:-/tmp}/tildora-corpus-XXXXXX")"
    trap 'rm -rf "$trabajo"' EXIT
fi

# Every regular file of a package whose path matches $2, once.
ficheros() {
    { dpkg -L "$1" | grep -E "$2" || true; } | while read -r f; do
        if [ -f "$f" ] && [ ! -L "$f" ]; then
            printf '%s\n' "$f"
        fi
    done
}

# The corpus in UTF-8, a source at a time, each checked to be UTF-8 (a byte
# that is not is dropped).
{
    ficheros manpages-es '\.gz$' | xargs zcat
    ficheros fortunes-es '/fortunes/es/[^/]*$' | grep -v '\.dat$' | xargs cat
    ficheros wspanish '^/usr/share/dict/'
    ficheros hunspell-es '\.dic$' | xargs cat
    ficheros hunspell-eu '\.dic$' | xargs cat
    for lengua in eu es el ru ka ja ko zh_CN zh_TW; do
        ficheros iso-codes "/locale/$lengua/LC_MESSAGES/.*\.mo$"
    done | xargs -n1 msgunfmt 2>/dev/null
    for paquete in apt dpkg coreutils bash grep findutils diffutils tar; do
        ficheros "$paquete" '/locale/(es|eu)/LC_MESSAGES/.*\.mo$'
    done | xargs -r -n1 msgunfmt 2>/dev/null
} | iconv -c -f UTF-8 -t UTF-8 >"$trabajo/corpus.utf-8.txt"
iconv -c -f UTF-8 -t WINDOWS-1252 <"$trabajo/corpus.utf-8.txt" >"$trabajo/corpus.windows-1252.txt" || true
# iconv's UTF-16 begins with a byte-order mark, by which the program knows it.
iconv -f UTF-8 -t UTF-16 <"$trabajo/corpus.utf-8.txt" >"$trabajo/corpus.utf-16.txt"

for cod in windows-1252 utf-8 utf-16; do
    # check ends with status 1 when it finds wrong characters.
    status=0
    "$tildora" --store "$trabajo/caracteres.ini" check "$trabajo/corpus.$cod.txt" \
        >"$trabajo/check.$cod.tsv" 2>"$trabajo/check.$cod.err" || status=$?
    if [ "$status" -gt 1 ]; then
        cat "$trabajo/check.$cod.err" >&2
        exit 1
    fi
done

python3 - "$trabajo" "$caracteres" <<'EOF'
import subprocess, sys

trabajo, caracteres = sys.argv[1], sys.argv[2]
codigos = ["windows-1252", "utf-8", "utf-16"]

def caracter(codigo):
    """The character of check's code column: U+XXXX, or a Windows-1252 code."""
    if codigo.startswith("U+"):
        return chr(int(codigo[2:], 16))
    b = int(codigo)
    try:
        return bytes([b]).decode("cp1252")
    except UnicodeDecodeError:
        return chr(b)  # the five codes Windows-1252 leaves unassigned

listas = {}
for cod in codigos:
    with open(f"{trabajo}/check.{cod}.tsv", encoding="utf-8", errors="replace") as f:
        listas[cod] = {caracter(linea.split("\t")[1]) for linea in f if linea.strip("\n")}
    # A lone LF of a Windows-1252 text is listed, but as a line break with
    # an answer of its own, not a character to replace.
    listas[cod].discard("\n")

todos = set().union(*listas.values())
if listas["utf-16"] != listas["utf-8"] or not listas["windows-1252"] <= listas["utf-8"]:
    print("warning: the program does not find the same characters in the three encodings")

def helper(texto):
    r = subprocess.run([caracteres], input=texto.encode("utf-8"), capture_output=True, check=True)
    filas = {}
    for linea in r.stdout.decode("utf-8").splitlines():
        codigo, cjk, clase, propuesta = linea.split("\t")
        filas[chr(int(codigo[2:], 16))] = (cjk == "cjk", clase, propuesta)
    return filas

propuestas = helper("".join(sorted(todos)))
faltan = todos - propuestas.keys()
if faltan:
    sys.exit(f"the helper does not take these for wrong: {sorted(faltan)}")
# Every proposal together is a text with nothing wrong in it.
sucias = helper("".join(p for _, clase, p in propuestas.values() if clase == "texto"))
if sucias:
    sys.exit("proposals holding wrong characters: " + " ".join(f"U+{ord(c):04X}" for c in sucias))

# The 115 allowed characters, as the program reads them: the helper lists
# none of them.
def permitido(c):
    return c not in helper(c) if c not in "\r\n" else False

# What the others make of each character: iconv, and ICU's CLDR transforms
# alone, as uconv (icu-devtools) applies them.
def otro(orden, c):
    r = subprocess.run(orden, input=c.encode("utf-8"), capture_output=True,
                       env={"LC_ALL": "C.UTF-8"})
    return r.stdout.decode("utf-8", errors="replace")

iconv = {c: otro(["iconv", "-f", "UTF-8", "-t", "ASCII//TRANSLIT"], c) for c in todos}
# uconv takes a while to start: one run, a character a line.
uconv = ["uconv", "-f", "UTF-8", "-t", "UTF-8", "-x", "Any-Latin; Latin-ASCII"]
orden = sorted(todos)
lineas_icu = otro(uconv, "\n".join(orden) + "\n").split("\n")[:-1]
if len(lineas_icu) == len(orden):
    icu = dict(zip(orden, lineas_icu))
else:
    icu = {c: otro(uconv, c) for c in todos}
cache_permitidos = {}

def usable(s):
    if "?" in s:
        return False
    for ch in s:
        if ch not in cache_permitidos:
            cache_permitidos[ch] = permitido(ch)
        if not cache_permitidos[ch]:
            return False
    return True

def fila(nombre, valores):
    print(f"| {nombre:<44} | " + " | ".join(f"{v:>12}" for v in valores) + " |")

def pct(n, d):
    return f"{n} ({100 * n / d:.1f} %)" if d else "0"

with open(f"{trabajo}/corpus.utf-8.txt", "rb") as f:
    corpus = f.read()
lineas = corpus.count(b"\n")
print(f"corpus: {len(corpus)} bytes of UTF-8, {lineas} lines")
print()
fila("", codigos + ["all"])
print("|" + "-" * 46 + ("|" + "-" * 14) * 4 + "|")
conjuntos = [listas[c] for c in codigos] + [todos]
fuera = [{c for c in s if not propuestas[c][0]} for s in conjuntos]
fila("distinct wrong characters", [len(s) for s in conjuntos])
fila("  Chinese, Japanese, Korean (no proposal)", [len(s) - len(f) for s, f in zip(conjuntos, fuera)])
fila("  outside those", [len(f) for f in fuera])
fila("    with a proposal", [sum(1 for c in f if propuestas[c][1] != "ninguna") for f in fuera])
fila("      of them the delete answer", [sum(1 for c in f if propuestas[c][1] == "borrar") for f in fuera])
fila("    usable from iconv ASCII//TRANSLIT", [sum(1 for c in f if usable(iconv[c])) for f in fuera])
fila("    usable from ICU's Any-Latin; Latin-ASCII", [sum(1 for c in f if usable(icu[c])) for f in fuera])
print()
f = fuera[-1]
con = sum(1 for c in f if propuestas[c][1] != "ninguna")
print(f"proposals for the characters outside CJK: {pct(con, len(f))}; "
      f"iconv: {pct(sum(1 for c in f if usable(iconv[c])), len(f))}; "
      f"the goal of 95 % is {'met' if f and con >= 0.95 * len(f) else 'NOT met'}")
print(f"proposals for CJK characters: {sum(1 for c in todos if propuestas[c][0] and propuestas[c][1] != 'ninguna')}")
sin = sorted(c for c in f if propuestas[c][1] == "ninguna")
print(f"without a proposal ({len(sin)}): " + " ".join(f"U+{ord(c):04X}" for c in sin))
with open(f"{trabajo}/propuestas.tsv", "w", encoding="utf-8") as s:
    for c in sorted(todos):
        cjk, clase, p = propuestas[c]
        s.write(f"U+{ord(c):04X}\t{'cjk' if cjk else '-'}\t{clase}\t{p}\t{iconv[c]!r}\t{icu[c]!r}\n")
EOF
