#!/usr/bin/env bash
# What only root can set up, run by scripts/probar.sh as root after the other
# tests (see probar_carpeta in scripts/comun.sh):
#  - two users sharing one store in a folder of their group, which may be
#    written by the group and is not sticky: each one's answers are kept,
#    whoever holds the lock or left its file, a writer of one killed in the
#    instant its temporary file has a name leaves nothing after the other's
#    next write, and 30 remember at once, 15 by each, keep every answer;
#  - a read-only file system, a full disk and a full temporary folder: each
#    said first, with the name and the system's reason after.
#
#   tests/scripts/pruebas_root.sh TILDORA USER1 USER2 [ROUNDS] [PRELOAD]
#
# USER2 must be in USER1's group. PRELOAD is the tests' library that makes
# each rename wait (build/tests/cli/libtildora_retraso.so); without it the
# kill is left out. Prints one line per check that fails; status 1 if any.
set -uo pipefail
[ $# -ge 3 ] || { echo "uso: $0 TILDORA USER1 USER2 [ROUNDS] [PRELOAD]" >&2; exit 2; }
programa=$1 u1=$2 u2=$3 vueltas=${4:-5} retraso=${5:-}
grupo="$(id -gn "$u1")"
export LC_ALL=C

d="$(mktemp -d /tmp/tildora-root-XXXXXX)"
montajes=()
limpiar() {
    local m
    for m in "${montajes[@]}"; do umount "$m" 2>/dev/null; done
    rm -rf "$d"
}
trap limpiar EXIT
fallos=0
mal() {
    printf 'FAIL %s\n' "$*" >&2
    fallos=$((fallos + 1))
}

# The program where both users reach it; their shared folder.
install -m 0755 "$programa" "$d/tildora"
if [ -n "$retraso" ]; then
    install -m 0644 "$retraso" "$d/retraso.so"
    retraso="$d/retraso.so"
fi
chmod 0755 "$d"
c="$d/compartida"
mkdir "$c"
chgrp "$grupo" "$c"
chmod 0775 "$c"
almacen="$c/caracteres.ini"
# Runs tildora as user $1 in the shared folder, with the usual mask: what
# is shared is the store, which its first user has made writable by the
# group.
como() {
    local u=$1
    shift
    runuser -u "$u" -- env -C "$c" sh -c 'umask 022; exec "$@"' tildora "$d/tildora" \
        --store "$almacen" "$@"
}
quedan() { find "$c" -name '.tildora-*' | wc -l; }

# --- two users, one store ------------------------------------------------------
runuser -u "$u1" -- sh -c 'umask 022; printf "[lista]\r\n" >"$1"; chmod g+w "$1"
    touch "$1.lock"' sh "$almacen" # a lock file as earlier versions left it: 0644
como "$u1" remember '\x80' uno || mal "the first user's remember"
como "$u2" remember '\x82' dos || mal "the second user's remember, the lock file being the first's"
[ "$(como "$u1" list | wc -l)" = 2 ] || mal "both answers kept"
modo="$(stat -c '%a %G' "$almacen")"
[ "$modo" = "664 $grupo" ] || mal "the store as its first user shared it: $modo"
rm "$almacen.lock"
como "$u2" remember '\x81' otro || mal "the second user's remember, with no lock file"
[ "$(stat -c '%a %G' "$almacen.lock")" = "$modo" ] || mal "lock file with the store's bits and group ($modo)"

# The first one holds the lock: the second waits for it, never refused.
runuser -u "$u1" -- flock "$almacen.lock" sleep 1 &
sleep 0.3
como "$u2" remember '\x83' tres || mal "the second user's remember while the first holds the lock"
wait
[ "$(como "$u1" list | grep -c tres)" = 1 ] || mal "the answer given while waiting"

# A writer of the first killed in the instant its temporary file has a
# name; the second's next write removes what it left.
if [ -n "$retraso" ] && ! ldd "$d/tildora" | grep -q libasan; then
    dejados=0
    for i in 1 2 3 4 5; do
        runuser -u "$u1" -- env -C "$c" LD_PRELOAD="$retraso" TILDORA_PRUEBA_RETRASO=200000 \
            "$d/tildora" --store "$almacen" remember '\x84' "k$i" &
        pid=$!
        sleep 0.1
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        [ "$(quedan)" = 0 ] || dejados=$((dejados + 1))
        como "$u2" remember '\x85' "s$i" || mal "the second user's remember after a kill"
        [ "$(quedan)" = 0 ] || mal "a killed writer's temporary file left after the other's write"
    done
    [ "$dejados" -gt 0 ] || mal "no kill landed while a temporary file had a name"
fi

# 30 at once, 15 by each user, every round: every answer kept.
total=0
for ((v = 1; v <= vueltas; v++)); do
    for i in $(seq 0 29); do
        u=$u1
        [ $((i % 2)) = 1 ] && u=$u2
        como "$u" remember "$(printf '\\x%02X' $((0x80 + i)))" "r$v-$i" &
    done
    wait
    guardados="$(como "$u1" list | grep -c $'\t'"r$v-")"
    [ "$guardados" = 30 ] || mal "round $v: $guardados of 30 answers kept"
    total=$((total + guardados))
done
[ "$(quedan)" = 0 ] || mal "temporary files left"
echo "two users, $vueltas rounds of 30 remember at once: $total of $((vueltas * 30)) answers kept"

# --- what the file system refuses --------------------------------------------
montar() { # montar FOLDER OPTIONS
    mkdir -p "$1" && mount -t tmpfs -o "$2" tmpfs "$1" && montajes+=("$1")
}
if montar "$d/lleno" size=64k,mode=0777 && montar "$d/ro" size=64k,mode=0777 &&
    mount -o remount,ro "$d/ro"; then
    head -c 1000000 /dev/zero | tr '\0' 'a' >"$d/grande.txt"
    printf '\x93' >>"$d/grande.txt"
    chmod 0644 "$d/grande.txt"
    como "$u1" remember '\x93' '"' || mal "remember"
    comprobar() { # comprobar WHAT FIRST-LINE SECOND-LINE COMMAND...
        local que=$1 primera=$2 segunda=$3 salida
        shift 3
        salida="$("$@" 2>&1 >/dev/null)"
        [ "$salida" = "$(printf 'tildora: %s\ntildora: %s' "$primera" "$segunda")" ] ||
            mal "$que: $salida"
    }
    comprobar "read-only file system" \
        "Fitxategi-sistema irakurtzeko soilik da / El sistema de ficheros es de solo lectura" \
        "$d/ro/b.txt: fitxategi-sistema irakurtzeko soilik da / el sistema de ficheros es de solo lectura" como "$u1" fix "$d/grande.txt" "$d/ro/b.txt"
    comprobar "full disk" \
        "Ez dago lekurik diskoan (edo kuota bete da) / No queda espacio en el disco (o se ha llenado la cuota)" \
        "$d/lleno/b.txt: ez dago lekurik diskoan / no queda espacio en el disco" como "$u1" fix "$d/grande.txt" "$d/lleno/b.txt"
    comprobar "full temporary folder" \
        "Sarreraren kopia ezin da egin aldi baterako karpetan (TMPDIR) / No se puede hacer la copia de la entrada en la carpeta temporal (TMPDIR)" \
        "$d/lleno: ez dago lekurik diskoan / no queda espacio en el disco" \
        runuser -u "$u1" -- sh -c 'cat "$1" | TMPDIR="$2" "$3" --store "$4" fix - - >/dev/null' \
        sh "$d/grande.txt" "$d/lleno" "$d/tildora" "$almacen"
    dejado="$(find "$d/lleno" "$d/ro" -mindepth 1)"
    [ -z "$dejado" ] || mal "something left: $dejado"
    echo "read-only, full disk, full temporary folder: done"
else
    echo "tmpfs ezin da muntatu; fitxategi-sistemen probak saltatu dira / no se puede montar tmpfs; se saltan las pruebas de sistemas de ficheros" >&2
fi

[ "$fallos" = 0 ]
