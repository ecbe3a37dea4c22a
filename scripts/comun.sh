# shellcheck shell=bash disable=SC2034  # PAQUETES is for the scripts that source this
# Shared by the set-up scripts (sourced, never run): what to install and how,
# and who runs the tests. Every text for the user is Basque, then Spanish.

# What building, running and testing Tildora need on Debian.
PAQUETES=(
    build-essential cmake
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev librsvg2-bin
    libgtest-dev libbenchmark-dev libicu-dev
    fonts-dejavu-core xvfb xauth
)

# What making the Debian package needs besides (dpkg-shlibdeps, and file,
# with which CPack finds the executables), and what checking it needs.
PAQUETES_EMPAQUETAR=(dpkg-dev file)
PAQUETES_PROBAR_PAQUETE=(lintian desktop-file-utils appstream man-db bash-completion file)
# What the fuzz targets need besides (scripts/fuzz.sh): clang with libFuzzer.
PAQUETES_FUZZ=(clang libclang-rt-14-dev)
# What the cross build for Windows needs (scripts/windows.sh): the
# posix-threads mingw-w64 compiler, GoogleTest's sources to build it for
# Windows, Wine to run the tests (wine64 alone: no 32-bit half), one X
# server without a screen for the windows' tests, and msitools' wixl and
# msibuild for the installer (scripts/instalador.sh), and Python to turn the
# Windows face's pictures into PNG files (scripts/capturas-windows.sh).
PAQUETES_WINDOWS=(cmake make g++-mingw-w64-x86-64-posix googletest wine64 xvfb xauth wixl msitools python3)

# The unprivileged user the tests run as when the scripts run as root, and a
# second one in its group, for a store that two users share.
USUARIO_PRUEBAS=tildora-pruebas
USUARIO_PRUEBAS2=tildora-pruebas2

# Prints, one per line, the packages among the arguments that are not
# installed ("hold ok installed" counts as installed; "deinstall ok
# config-files" and "unknown ok not-installed" do not).
paquetes_que_faltan() {
    local p estado
    for p in "$@"; do
        estado="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" || estado=""
        case "$estado" in
        *" ok installed") ;;
        *) printf '%s\n' "$p" ;;
        esac
    done
}

# Installs the packages among the arguments that are missing: directly as
# root, through sudo otherwise. Without sudo nothing is run: one message says
# what is missing and what to run as root, and the status is 2. Nothing
# missing needs no root at all.
instalar_lo_que_falta() {
    local faltan sudo=""
    mapfile -t faltan < <(paquetes_que_faltan "$@")
    [ ${#faltan[@]} -gt 0 ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            printf '%s\n' \
                "Pakete hauek falta dira / Faltan estos paquetes: ${faltan[*]}" \
                "sudo ez dago; exekutatu hau root gisa / No hay sudo; ejecute esto como root:" \
                "    su -c 'apt-get update && apt-get install -y --no-install-recommends ${faltan[*]}'" >&2
            return 2
        fi
        sudo=sudo
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update &&
        $sudo apt-get install -y --no-install-recommends "${faltan[@]}"
}

# The first folder on the way to the checkout $2, or the first source the
# script test reads, that user $1 cannot reach; nothing when it reaches all.
primer_camino_vedado() {
    local usuario=$1 raiz=$2 camino="" parte fichero partes
    IFS=/ read -ra partes <<<"${raiz#/}"
    for parte in "${partes[@]}"; do
        camino+="/$parte"
        runuser -u "$usuario" -- test -x "$camino" || {
            printf '%s\n' "$camino"
            return
        }
    done
    for fichero in scripts/comun.sh tests/scripts/test_scripts.sh; do
        runuser -u "$usuario" -- test -r "$raiz/$fichero" || {
            printf '%s\n' "$raiz/$fichero"
            return
        }
    done
}

# One line: the tests that need an unprivileged user are skipped, and why
# ($1 in Basque, $2 in Spanish).
aviso_sin_baimenak() {
    printf '%s\n' "Baimen-probak saltatuko dira, $1 / Se saltarán las pruebas de permisos, $2" >&2
}

# As root, whether the tests of checkout $1 can run as $USUARIO_PRUEBAS,
# creating that user when it is not there. Changes nothing else. When they
# cannot, says why in one line and returns 1.
usuario_de_pruebas_sirve() {
    local raiz=$1 u=$USUARIO_PRUEBAS vedado
    if ! command -v runuser >/dev/null; then
        aviso_sin_baimenak "runuser ez baitago" "porque no está runuser"
        return 1
    fi
    if ! id "$u" >/dev/null 2>&1 &&
        ! useradd --system --no-create-home --shell /usr/sbin/nologin "$u"; then
        aviso_sin_baimenak "$u ezin izan baita sortu" "porque no se ha podido crear $u"
        return 1
    fi
    vedado="$(primer_camino_vedado "$u" "$raiz")"
    if [ -n "$vedado" ]; then
        aviso_sin_baimenak "$u erabiltzaileak ez baitu sarbiderik hona: $vedado" \
            "porque el usuario $u no tiene acceso a: $vedado"
        return 1
    fi
}

# Gives the build folder back to the owner it had before the tests; first
# runs antes_de_devolver when the script defines it (scripts/windows.sh: it
# stops the Wine servers, which only the folder's borrower can stop).
devolver_carpeta() {
    if declare -F antes_de_devolver >/dev/null; then
        antes_de_devolver
    fi
    chown -R "$DUENO_CARPETA" "$CARPETA_PRESTADA"
}

# As root, once the tests have passed: what only root can set up
# (tests/scripts/pruebas_root.sh: two users sharing a store, full and
# read-only file systems), with $USUARIO_PRUEBAS2, made the first time in
# $USUARIO_PRUEBAS's group. Build folder $1, checkout $2.
pruebas_de_root() {
    local carpeta=$1 raiz=$2 u2=$USUARIO_PRUEBAS2 retraso=$1/tests/cli/libtildora_retraso.so
    if ! id "$u2" >/dev/null 2>&1 &&
        ! useradd --system --no-create-home --shell /usr/sbin/nologin -G "$USUARIO_PRUEBAS" "$u2"; then
        printf '%s\n' "Bi erabiltzaileren probak saltatuko dira, $u2 ezin izan baita sortu / Se saltarán las pruebas de dos usuarios, porque no se ha podido crear $u2" >&2
        return 0
    fi
    [ -f "$retraso" ] || retraso=""
    bash "$raiz/tests/scripts/pruebas_root.sh" "$carpeta/app/tildora" "$USUARIO_PRUEBAS" "$u2" 5 \
        "$retraso"
}

# Runs every test of build folder $1 (checkout $2). As root they run as
# $USUARIO_PRUEBAS, so that the tests of unreadable files and read-only
# folders can deny something: the build folder is lent to that user and given
# back to its owner however the run ends; then come the tests only root can
# set up (pruebas_de_root), but with a third argument --sin-root (the build
# for Windows, whose program those tests cannot run).
probar_carpeta() {
    local carpeta=$1 raiz=$2 root=${3:-} otra=()
    # Under Wine a test now and then fails before its program has started
    # (no output at all, in a hundredth of a second, under a load of two
    # tests at once); such a test is run once more. A test that fails twice
    # fails the run.
    [ "$root" != --sin-root ] || otra=(--repeat until-pass:2)
    if [ "$(id -u)" -ne 0 ] || ! usuario_de_pruebas_sirve "$raiz"; then
        ctest --test-dir "$carpeta" --output-on-failure --timeout 600 -j"$(nproc)" "${otra[@]}"
        return
    fi
    DUENO_CARPETA="$(stat -c %u:%g "$carpeta")"
    CARPETA_PRESTADA=$carpeta
    # Bash runs this on Ctrl-C, kill and hang-up as well.
    trap devolver_carpeta EXIT
    chown -R "$USUARIO_PRUEBAS" "$carpeta"
    runuser -u "$USUARIO_PRUEBAS" -- env HOME=/tmp ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
        UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        ctest --test-dir "$carpeta" --output-on-failure --timeout 600 -j"$(nproc)" "${otra[@]}"
    [ "$root" = --sin-root ] || pruebas_de_root "$carpeta" "$raiz"
}
