#!/usr/bin/env bash
# Checks the Debian package PAQUETE.deb the way a user gets it: lintian,
# installed with apt-get, the program from the PATH (version, check, the
# store's place, the windows), the menu entry, the AppStream file, the manual
# page, the icons and the bash completion, then removed. It installs into the
# system it runs on, so it is meant for a throwaway machine (CI) and wants
# root. Ends with one line "N passed, M failed"; the status is 1 when
# something failed, 2 when it could not run at all.
set -uo pipefail
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
source "$raiz/scripts/comun.sh"

paquete=${1:-}
if [ -z "$paquete" ] || [ ! -f "$paquete" ]; then
    echo "Erabilera / Uso: $0 PAQUETE.deb" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "root behar da / hace falta ser root" >&2
    exit 2
fi
paquete="$(realpath "$paquete")"
instalar_lo_que_falta "${PAQUETES_PROBAR_PAQUETE[@]}" || exit 2

bien=0
mal=0
# One check: its name, then the command that must succeed.
probar() {
    local nombre=$1
    shift
    if "$@"; then
        bien=$((bien + 1))
        printf 'ok      %s\n' "$nombre"
    else
        mal=$((mal + 1))
        printf 'FAILED  %s\n' "$nombre"
    fi
}

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
ID=eus.tildora.Tildora

sin_errores_lintian() {
    lintian --fail-on error "$paquete" 2>&1 | tee "$tmp/lintian" | grep -v 'root privileges'
    [ "${PIPESTATUS[0]}" -eq 0 ] && ! grep -q '^E:' "$tmp/lintian"
}
probar "lintian: no errors" sin_errores_lintian

export DEBIAN_FRONTEND=noninteractive
probar "apt-get install ./$(basename "$paquete")" \
    apt-get install -y --no-install-recommends "$paquete"

probar "tildora is on the PATH in /usr/bin" test "$(command -v tildora)" = /usr/bin/tildora
# The version alone on the first line, then the licence; the package's
# copyright names the same one.
version_y_licencia() {
    local version
    version="$(tildora --version)"
    [ "${version%%$'\n'*}" = "tildora 1.0.0" ] &&
        grep -q 'GPL-3.0-or-later' <<<"$version" &&
        grep -q '^License: GPL-3+$' /usr/share/doc/tildora/copyright
}
probar "tildora --version: the version, then the licence" version_y_licencia

# check, remember and fix on a small file, as root with a home of its own:
# the store goes to the user's folder, never beside the program.
printf 'Fran\xe7ais\r\n' >"$tmp/carta.txt"
en_casa() { env -u XDG_CONFIG_HOME HOME="$tmp/casa" "$@"; }
comprobar_check() {
    local salida estado
    salida="$(cd "$tmp" && en_casa tildora check carta.txt)"
    estado=$?
    [ "$estado" -eq 1 ] && [ "$salida" = "$(printf 'carta.txt\t231\t1\t1:5\t\xc3\xa7\t')" ]
}
probar "tildora check lists the wrong character (status 1)" comprobar_check
comprobar_almacen() {
    en_casa tildora remember ç c &&
        [ -f "$tmp/casa/.config/tildora/caracteres.ini" ] &&
        [ ! -e /usr/bin/caracteres.ini ] &&
        (cd "$tmp" && en_casa tildora fix carta.txt limpia.txt >/dev/null 2>&1) &&
        [ "$(cat "$tmp/limpia.txt")" = "$(printf 'Francais\r\n')" ]
}
probar "remember as root: store in ~/.config/tildora, nothing in /usr/bin; fix" \
    comprobar_almacen

# The windows start from the PATH with a file, on the offscreen platform:
# they stay up until the time runs out.
ventanas() {
    (cd "$tmp" && timeout 5 env -u XDG_CONFIG_HOME HOME="$tmp/casa" \
        tildora -platform offscreen carta.txt 2>"$tmp/ventanas")
    [ $? -eq 124 ] || {
        cat "$tmp/ventanas"
        return 1
    }
}
probar "tildora -platform offscreen FILE opens the windows" ventanas

probar "desktop-file-validate" desktop-file-validate "/usr/share/applications/$ID.desktop"
probar "appstreamcli validate --no-net" \
    appstreamcli validate --no-net "/usr/share/metainfo/$ID.metainfo.xml"

pagina_sin_avisos() {
    local avisos
    avisos="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l /usr/share/man/man1/tildora.1.gz 2>&1 >"$tmp/man")"
    [ -z "$avisos" ] || {
        printf '%s\n' "$avisos"
        return 1
    }
    grep -q 'CÓDIGOS DE SALIDA' "$tmp/man" && [ "$(man -w tildora)" = /usr/share/man/man1/tildora.1.gz ]
}
probar "man --warnings: the manual page renders without warnings" pagina_sin_avisos

iconos() {
    local lado
    [ -f "/usr/share/icons/hicolor/scalable/apps/$ID.svg" ] || return 1
    for lado in 16 22 24 32 48 64 128 256; do
        file "/usr/share/icons/hicolor/${lado}x${lado}/apps/$ID.png" |
            grep -q "PNG image data, $lado x $lado" || return 1
    done
}
probar "icons: SVG and PNG 16 to 256" iconos

# What the installed completion offers for the words given (the last one
# being completed).
completar() {
    # shellcheck disable=SC2016 # expanded by the inner bash
    bash -c 'source /usr/share/bash-completion/bash_completion
        source /usr/share/bash-completion/completions/tildora
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}; _tildora; echo "${COMPREPLY[*]}"' completar "$@"
}
completa_bien() {
    [ "$(completar tildora fix --fo)" = "--force" ] &&
        [ "$(completar tildora fix --to utf-16)" = "utf-16le utf-16be" ] &&
        [ "$(completar tildora check --p)" = "--propose" ] &&
        [ "$(completar tildora remember ç --d)" = "--delete" ] &&
        [ "$(completar tildora --help --v)" = "--verbose" ]
}
probar "bash completion: tildora fix --fo, --to utf-16, check --p, remember --d, --help --v" \
    completa_bien

dpkg-query -L tildora >"$tmp/ficheros"
probar "apt-get purge" apt-get purge -y tildora
nada_queda() {
    local f quedan=0
    while IFS= read -r f; do
        case "$f" in
        /usr/share/doc/tildora* | /usr/bin/* | /usr/share/applications/* | \
            /usr/share/metainfo/* | /usr/share/man/man1/* | */apps/"$ID".* | \
            /usr/share/bash-completion/completions/tildora)
            if [ -e "$f" ] || [ -L "$f" ]; then
                echo "left behind: $f"
                quedan=1
            fi
            ;;
        esac
    done <"$tmp/ficheros"
    [ "$quedan" -eq 0 ] && [ -f "$tmp/casa/.config/tildora/caracteres.ini" ]
}
probar "removed: nothing left but the user's store" nada_queda

printf '%d passed, %d failed\n' "$bien" "$mal"
[ "$mal" -eq 0 ]
