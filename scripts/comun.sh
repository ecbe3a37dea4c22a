# Shared by the set-up scripts (sourced, never run): what to install and how.
# Every text for the user is Basque, then Spanish.

# What building, running and testing Tildora need on Debian.
PAQUETES=(
    build-essential cmake
    qt6-base-dev qt6-svg-dev libgl-dev
    libgtest-dev libbenchmark-dev
    fonts-dejavu-core xvfb xauth
)

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
