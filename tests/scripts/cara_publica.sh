#!/usr/bin/env bash
# The front ends (cli/, ui/, ui-win32/, app/) and the windows' models (modelos/) use
# the core through its public face, the headers right in core/; those in
# core/interno/ are the core's own. The models include no toolkit's header.
# Fails, naming the lines, when one of them does.
set -u
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
if grep -rnE '#include[[:space:]]+"core/interno/' "$raiz/cli" "$raiz/ui" "$raiz/ui-win32" "$raiz/app" "$raiz/modelos"; then
    echo "Aurreko lerroek nukleoaren barneko goiburuak sartzen dituzte / Las líneas anteriores incluyen cabeceras internas del núcleo" >&2
    exit 1
fi
if grep -rnE '#include[[:space:]]+<(Q[A-Za-z]*|qt[a-z]*/|windows\.h)' "$raiz/modelos"; then
    echo "Aurreko lerroek eredu batean tresna-multzo baten goiburua sartzen dute / Las líneas anteriores incluyen en un modelo la cabecera de un toolkit" >&2
    exit 1
fi
