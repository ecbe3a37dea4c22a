#!/usr/bin/env bash
# Installs what building, running and testing Tildora need on Debian. As
# another user than root it goes through sudo; without sudo it says what to
# run as root and stops with status 2.
set -euo pipefail
source "$(dirname "$0")/comun.sh"
instalar_lo_que_falta "${PAQUETES[@]}"
