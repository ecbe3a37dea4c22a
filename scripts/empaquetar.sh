#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds build/ (or the
# folder given as first argument) as scripts/compilar.sh does, and makes
# tildora_VERSION_ARCH.deb there with CPack. Prints the package's path last.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
source "$raiz/scripts/comun.sh"
bash "$raiz/scripts/instalar.sh"
instalar_lo_que_falta "${PAQUETES_EMPAQUETAR[@]}"
carpeta="${1:-$raiz/build}"
bash "$raiz/scripts/compilar.sh" "$carpeta"
rm -f "$carpeta"/tildora_*.deb
(cd "$carpeta" && cpack -G DEB >&2)
ls "$carpeta"/tildora_*.deb
