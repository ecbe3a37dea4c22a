#!/usr/bin/env bash
# Times the command line against the usual shell tools on one large file,
# side by side in one run, with a warm cache, and prints a table of the
# median times and peak memory.
#
#   bench/cli.sh [-n RUNS] [-s MEGABYTES] [-t TILDORA] [FILE]
#
# It times FILE, or first writes there (into a temporary folder without FILE)
# a Windows-1252 text of MEGABYTES (200) with CR LF line ends and about 1 %
# wrong bytes. For a UTF-8 text, convert that one
# (iconv -f windows-1252 -t utf-8) and give it as FILE. TILDORA is the
# executable (default: build/app/tildora). The output files go to the same
# temporary folder, so every writer works on the same disk.
set -euo pipefail

runs=5
megas=200
tildora=""
while getopts "n:s:t:" o; do
    case "$o" in
    n) runs="$OPTARG" ;;
    s) megas="$OPTARG" ;;
    t) tildora="$OPTARG" ;;
    *) echo "usage: $0 [-n RUNS] [-s MEGABYTES] [-t TILDORA] [FILE]" >&2; exit 2 ;;
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
    python3 - "$file" "$megas" <<'EOF'
import random, sys
azar = random.Random(20261207)  # the same text every run
path, size = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
# Spanish-like words in Windows-1252, with the accents that are allowed.
words = [w.encode("cp1252") for w in (
    "de la que el en y a los se del las un por con no una su para es al lo como "
    "más pero sus le ya o este sí porque esta entre cuando muy sin sobre también "
    "me hasta hay donde quien desde todo nos durante todos uno les ni contra otros "
    "ese eso ante ellos e esto mí antes algunos qué unos yo otro otras otra él tanto "
    "esa estos mucho quienes nada muchos cual poco ella estar estas algunas algo "
    "nosotros niño canción corazón años día información país pequeña está según"
).split()]
# Wrong characters as they turn up in real files: typographic quotes and
# dashes, the ellipsis, accents this table does not allow, tabs, the euro.
wrong = [b"\x93", b"\x94", b"\x92", b"\x85", b"\x96", b"\x97", b"\xe7", b"\xc7",
         b"\xe0", b"\xe8", b"\xf2", b"\xe4", b"\xb4", b"\t", b"\x80", b"`", b"|"]
written = 0
with open(path, "wb") as f:
    while written < size:
        ws = azar.choices(words, k=200000)
        text = bytearray()
        col = 0
        for w in ws:
            text += w
            col += len(w)
            if col > 70:
                text += b"\r\n"
                col = 0
            else:
                text += b" "
                col += 1
        # About 1 % of the bytes become wrong characters.
        for _ in range(len(text) // 100):
            i = azar.randrange(len(text))
            if text[i] not in (13, 10):
                text[i:i + 1] = azar.choice(wrong)
        text = text[: size - written]
        f.write(text)
        written += len(text)
EOF
fi

# Every wrong character of the file gets a replacement, so fix does its whole job.
# (check exits 1 when it finds wrong characters.)
{ "$tildora" --store "$store" check "$file" 2>/dev/null || true; } | cut -f2 | while read -r code; do
    case "$code" in
    U+*) "$tildora" --store "$store" remember "$code" "?" ;;
    *) "$tildora" --store "$store" remember "$(printf '\\x%02X' "$code")" "?" ;;
    esac
done

size=$(stat -c %s "$file")
wrong=$({ "$tildora" --store "$store" check "$file" 2>/dev/null || true; } | awk -F'\t' '{s += $3} END {print s + 0}')

# Median wall time of "$runs" runs in milliseconds, then the peak memory
# in MiB of one more run under /usr/bin/time (for a pipeline, that of its
# largest process).
measure() {
    local label="$1" cmd="$2" times=()
    sh -c "$cmd" >/dev/null 2>&1 || true # warm up, and the cache
    for _ in $(seq "$runs"); do
        local start end
        # Each run starts with nothing left to write back from the one before.
        sync
        start=$(date +%s%N)
        sh -c "$cmd" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        times+=($(((end - start) / 1000000)))
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    sync
    /usr/bin/time -o "$work/time" -f "%M" sh -c "$cmd" >/dev/null 2>&1 || true
    local mem
    mem=$(tail -1 "$work/time")
    printf '| %-58s | %9s | %7s |\n' "$label" "$median" "$((mem / 1024))"
}

printf 'file: %s, %d bytes, %d wrong (%s %%), %s runs each\n\n' "$file" "$size" "$wrong" \
    "$(awk -v w="$wrong" -v s="$size" 'BEGIN {printf "%.2f", w * 100 / s}')" "$runs"
printf '| %-58s | %9s | %7s |\n' "command" "median ms" "max MiB"
printf '|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..60})" "-----------" "---------"
measure "cat FILE > /dev/null" "cat '$file' > /dev/null"
measure "tildora check FILE" "'$tildora' --store '$store' check '$file'"
measure "tr -d '\\040-\\176\\t\\r\\n' | od | sort -n | uniq -c" \
    "LC_ALL=C tr -d '\\040-\\176\\t\\r\\n' < '$file' | od -An -v -tu1 -w1 | sort -n | uniq -c"
measure "LC_ALL=C tr abcd wxyz < FILE > OUT" "LC_ALL=C tr abcd wxyz < '$file' > '$work/tr.out'"
measure "tildora fix --force FILE OUT" "'$tildora' --store '$store' fix --force '$file' '$work/fix.out'"
