#!/usr/bin/env bash
# The front ends (cli/, ui/, app/) use the core through its public face, the
# headers right in core/; those in core/interno/ are the core's own. Fails,
# naming the lines, when a front end includes one of them.
set -u
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
if grep -rnE '#include[[:space:]]+"core/interno/' "$raiz/cli" "$raiz/ui" "$raiz/app"; then
    echo "Aurreko lerroek nukleoaren barneko goiburuak sartzen dituzte / Las líneas anteriores incluyen cabeceras internas del núcleo" >&2
    exit 1
fi
