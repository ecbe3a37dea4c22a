#!/usr/bin/env bash
# The figures of the limits, in one run:
#  1. pipes: `cat FILE | cat > /dev/null` (the pipe itself), then
#     `cat FILE | tildora check -` and `cat FILE | tildora fix - - > /dev/null`,
#     side by side in rounds: median wall time, median ratio to the pipe
#     itself in the same round, and peak memory (of the largest process);
#  2. kill -9: KILLS random kills of `remember` and of `fix --force` (half
#     each), once with every rename made to wait 20 ms (the tests' preloaded
#     library), so that most kills land while a temporary file has a name,
#     and once as they come: how many kills left a temporary file, and how
#     many files are left after the next run;
#  3. as root: ROUNDS2 rounds of 30 remember at once by two users sharing a
#     store (tests/scripts/pruebas_root.sh): how many answers were kept.
#
#   bench/limites.sh [-n ROUNDS] [-s MEGABYTES] [-t TILDORA] [-b BEFORE]
#                    [-k KILLS] [-r ROUNDS2] [FILE]
#
# FILE (written first when it is not there, as bench/cli.sh writes it) is
# 1000 MB by default; TILDORA is build/app/tildora; BEFORE another build
# timed beside it. The temporary copy of fix's pipe goes to $TMPDIR (/tmp).
set -euo pipefail

runs=5
megas=1000
tildora=""
base=""
kills=500
rondas=20
while getopts "n:s:t:b:k:r:" o; do
    case "$o" in
    n) runs="$OPTARG" ;;
    s) megas="$OPTARG" ;;
    t) tildora="$OPTARG" ;;
    b) base="$OPTARG" ;;
    k) kills="$OPTARG" ;;
    r) rondas="$OPTARG" ;;
    *)
        echo "usage: $0 [-n ROUNDS] [-s MEGABYTES] [-t TILDORA] [-b BEFORE] [-k KILLS] [-r ROUNDS2] [FILE]" >&2
        exit 2
        ;;
    esac
done
shift $((OPTIND - 1))

here="$(cd "$(dirname "$0")/.." && pwd)"
tildora="${tildora:-$here/build/app/tildora}"
retraso="$(dirname "$tildora")/../tests/cli/libtildora_retraso.so"
[ -x "$tildora" ] || { echo "no executable at $tildora (use -t)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tildora-limites-XXXXXX")"
trap 'rm -rf "$work"' EXIT
store="$work/caracteres.ini"
file="${1:-$work/texto.txt}"
[ -e "$file" ] || python3 "$here/bench/generar_texto.py" "$file" "$megas"

# Every wrong character gets a replacement, so that fix does its whole job.
{ "$tildora" --store "$store" check "$file" 2>/dev/null || true; } | cut -f2 | while read -r code; do
    "$tildora" --store "$store" remember "$(printf '\\x%02X' "$code")" "?"
done

# --- 1. pipes --------------------------------------------------------------------
labels=()
cmds=()
add() { labels+=("$1"); cmds+=("$2"); }
add "cat FILE | cat > /dev/null" "cat '$file' | cat > /dev/null"
add "cat FILE | tildora check -" "cat '$file' | '$tildora' --store '$store' check -"
add "cat FILE | tildora fix - - > /dev/null" \
    "cat '$file' | '$tildora' --store '$store' fix - - > /dev/null"
if [ -n "$base" ]; then
    add "before: cat FILE | tildora check -" "cat '$file' | '$base' --store '$store' check -"
    add "before: cat FILE | tildora fix - - > /dev/null" \
        "cat '$file' | '$base' --store '$store' fix - - > /dev/null"
fi
declare -A times ratios
# shellcheck source=bench/rondas.sh
source "$here/bench/rondas.sh"
medir_rondas "$runs" 1
printf 'file: %s, %d bytes, %s rounds; temporary folder %s\n\n' "$file" "$(stat -c %s "$file")" \
    "$runs" "${TMPDIR:-/tmp}"
printf '| %-48s | %9s | %9s | %7s |\n' "command" "median ms" "× pipe" "max MiB"
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..50})" "-----------" "-----------" "---------"
for k in "${!cmds[@]}"; do
    sync
    /usr/bin/time -o "$work/time" -f "%M" sh -c "${cmds[$k]}" >/dev/null 2>&1 || true
    printf '| %-48s | %9s | %9s | %7s |\n' "${labels[$k]}" "$(echo "${times[$k]}" | median)" \
        "$(echo "${ratios[$k]}" | median)" "$(($(tail -1 "$work/time") / 1024))"
done

# --- 2. kill -9 ------------------------------------------------------------------
k="$work/matar"
mkdir "$k"
printf 'a\x93b\r\n' >"$k/a.txt"
printf 'viejo' >"$k/b.txt"
"$tildora" --store "$k/caracteres.ini" remember '\x93' '"'
quedan() { find "$k" -name '.tildora-*' | wc -l; }
# matar KILLS MAX_MICROSECONDS [ENV...]: the kills, each after a random wait
# up to MAX, then the other command's run; prints what was left.
matar() {
    local n=$1 max=$2 dejados=0 despues=0 i pid orden
    shift 2
    for ((i = 0; i < n; i++)); do
        if ((i % 2 == 0)); then
            orden=(fix --force "$k/a.txt" "$k/b.txt")
        else
            orden=(remember '\x85' "v$i")
        fi
        env "$@" "$tildora" --store "$k/caracteres.ini" "${orden[@]}" >/dev/null 2>&1 &
        pid=$!
        sleep "$(awk -v r="$RANDOM" -v m="$max" 'BEGIN {printf "%.6f", r / 32767 * m / 1e6}')"
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        [ "$(quedan)" = 0 ] || dejados=$((dejados + 1))
        # The next run: the other command, in the same folder.
        if ((i % 2 == 0)); then
            "$tildora" --store "$k/caracteres.ini" remember '\x85' "w$i" >/dev/null 2>&1
        else
            "$tildora" --store "$k/caracteres.ini" fix --force "$k/a.txt" "$k/b.txt" >/dev/null 2>&1
        fi
        despues=$((despues + $(quedan)))
    done
    printf '%d kills: %d left a temporary file; files left after the next run: %d\n' \
        "$n" "$dejados" "$despues"
}
echo
if [ -f "$retraso" ]; then
    printf 'each rename made to wait 20 ms: '
    matar "$kills" 25000 LD_PRELOAD="$retraso" TILDORA_PRUEBA_RETRASO=20000
    printf 'each rename made to wait 20 ms, no unnamed files: '
    matar "$kills" 25000 LD_PRELOAD="$retraso" TILDORA_PRUEBA_RETRASO=20000 \
        TILDORA_PRUEBA_SIN_ANONIMOS=1
fi
printf 'as they come: '
matar "$kills" 4000 TILDORA_NADA=1

# --- 3. two users ------------------------------------------------------------------
echo
if [ "$(id -u)" = 0 ] && id tildora-pruebas >/dev/null 2>&1 && id tildora-pruebas2 >/dev/null 2>&1; then
    bash "$here/tests/scripts/pruebas_root.sh" "$tildora" tildora-pruebas tildora-pruebas2 \
        "$rondas" "$retraso"
else
    echo "two users: as root, after scripts/probar.sh has made tildora-pruebas and tildora-pruebas2"
fi
