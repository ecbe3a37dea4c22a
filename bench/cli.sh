#!/usr/bin/env bash
# Times the command line against the usual shell tools on one large file,
# side by side in one run, with a warm cache, and prints a table of the
# median times and peak memory.
#
#   bench/cli.sh [-n ROUNDS] [-s MEGABYTES] [-t TILDORA] [-b BEFORE] [-u] [-x] [-p] [FILE]
#
# It times FILE, or first writes there (into a temporary folder without FILE)
# a Windows-1252 text of MEGABYTES (200) with CR LF line ends and about 1 %
# wrong bytes. With -u the same text converted to UTF-8 is timed beside it.
# TILDORA is the executable (default: build/app/tildora); -b BEFORE times
# another build of it beside, for a before and after; -x adds the usual shell
# tools that do part of the job; -p adds fix --propose with no answer
# remembered (every character replaced by its proposal), and fix with those
# same proposals remembered, so that the two do the same rewrite and differ
# only by where the answers come from. The output files go to the same temporary
# folder, so every writer works on the same disk.
set -euo pipefail

runs=5
megas=200
tildora=""
base=""
conUtf8=0
tools=0
proponer=0
while getopts "n:s:t:b:uxp" o; do
    case "$o" in
    n) runs="$OPTARG" ;;
    s) megas="$OPTARG" ;;
    t) tildora="$OPTARG" ;;
    b) base="$OPTARG" ;;
    u) conUtf8=1 ;;
    x) tools=1 ;;
    p) proponer=1 ;;
    *) echo "usage: $0 [-n ROUNDS] [-s MEGABYTES] [-t TILDORA] [-b BEFORE] [-u] [-x] [-p] [FILE]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))

here="$(cd "$(dirname "$0")/.." && pwd)"
tildora="${tildora:-$here/build/app/tildora}"
[ -x "$tildora" ] || { echo "no executable at $tildora (use -t)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tildora-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
store="$work/caracteres.ini"

file="${1:-$work/texto.txt}"
if [ ! -e "$file" ]; then
    python3 "$here/bench/generar_texto.py" "$file" "$megas"
fi

utf8=""
if [ "$conUtf8" = 1 ]; then
    utf8="$work/texto-utf8.txt"
    iconv -f windows-1252 -t utf-8 "$file" >"$utf8"
fi

# Every wrong character of the file gets a replacement, so fix does its whole job.
# (check exits 1 when it finds wrong characters.)
{ "$tildora" --store "$store" check "$file" 2>/dev/null || true; } | cut -f2 | while read -r code; do
    case "$code" in
    U+*) "$tildora" --store "$store" remember "$code" "?" ;;
    *) "$tildora" --store "$store" remember "$(printf '\\x%02X' "$code")" "?" ;;
    esac
done

# For -p: a store that remembers what --propose would use, each character's
# proposal (the seventh column of check --propose; \delete, the delete answer).
propuestas="$work/propuestas.ini"
if [ "$proponer" = 1 ]; then
    { "$tildora" --store "$work/vacio.ini" check --propose "$file" 2>/dev/null || true; } |
        cut -f2,7 | while IFS=$'\t' read -r code propuesta; do
        case "$code" in
        U+*) caracter=$code ;;
        *) caracter="$(printf '\\x%02X' "$code")" ;;
        esac
        if [ "$propuesta" = '\delete' ]; then
            "$tildora" --store "$propuestas" remember "$caracter" --delete
        else
            "$tildora" --store "$propuestas" remember "$caracter" "$propuesta"
        fi
    done
fi

size=$(stat -c %s "$file")
wrong=$({ "$tildora" --store "$store" check "$file" 2>/dev/null || true; } | awk -F'\t' '{s += $3} END {print s + 0}')

# The commands are timed side by side: each round runs every one once, in
# turn, so that a slower moment of the machine weighs on all of them alike.
# Each gets its median wall time, its median ratio to `cat FILE` in the same
# rounds, and the peak memory in MiB of one more run under /usr/bin/time (for
# a pipeline, that of its largest process).
labels=()
cmds=()
add() { labels+=("$1"); cmds+=("$2"); }
add "cat FILE > /dev/null" "cat '$file' > /dev/null"
add "tildora check FILE" "'$tildora' --store '$store' check '$file'"
if [ -n "$utf8" ]; then
    add "tildora check FILE-UTF-8" "'$tildora' --store '$store' check '$utf8'"
fi
if [ -n "$base" ]; then
    add "before: tildora check FILE" "'$base' --store '$store' check '$file'"
    [ -z "$utf8" ] || add "before: tildora check FILE-UTF-8" "'$base' --store '$store' check '$utf8'"
fi
if [ "$tools" = 1 ]; then
    add "tr -d '\\040-\\176\\t\\r\\n' | od | sort -n | uniq -c" \
        "LC_ALL=C tr -d '\\040-\\176\\t\\r\\n' < '$file' | od -An -v -tu1 -w1 | sort -n | uniq -c"
    add "LC_ALL=C tr abcd wxyz < FILE > OUT" "LC_ALL=C tr abcd wxyz < '$file' > '$work/tr.out'"
fi
add "tildora fix --force FILE OUT" "'$tildora' --store '$store' fix --force '$file' '$work/fix.out'"
if [ "$proponer" = 1 ]; then
    add "tildora fix --force FILE OUT (the proposals remembered)" \
        "'$tildora' --store '$propuestas' fix --force '$file' '$work/fix.out'"
    # A store that is not there: nothing remembered, every answer proposed.
    add "tildora fix --propose --force FILE OUT (nothing remembered)" \
        "'$tildora' --store '$work/vacio.ini' fix --propose --force '$file' '$work/fix.out'"
fi
[ -z "$utf8" ] || add "tildora fix --force FILE-UTF-8 OUT" \
    "'$tildora' --store '$store' fix --force '$utf8' '$work/fix.out'"
if [ -n "$base" ]; then
    add "before: tildora fix --force FILE OUT" "'$base' --store '$store' fix --force '$file' '$work/fix.out'"
fi

declare -A times ratios
# shellcheck source=bench/rondas.sh
source "$here/bench/rondas.sh"
medir_rondas "$runs" 2

printf 'file: %s, %d bytes, %d wrong (%s %%), %s rounds\n\n' "$file" "$size" "$wrong" \
    "$(awk -v w="$wrong" -v s="$size" 'BEGIN {printf "%.2f", w * 100 / s}')" "$runs"
printf '| %-58s | %9s | %7s | %7s |\n' "command" "median ms" "× cat" "max MiB"
printf '|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..60})" "-----------" "---------" "---------"
for k in "${!cmds[@]}"; do
    sync
    /usr/bin/time -o "$work/time" -f "%M" sh -c "${cmds[$k]}" >/dev/null 2>&1 || true
    printf '| %-58s | %9s | %7s | %7s |\n' "${labels[$k]}" "$(echo "${times[$k]}" | median)" \
        "$(echo "${ratios[$k]}" | median)" "$(($(tail -1 "$work/time") / 1024))"
done
