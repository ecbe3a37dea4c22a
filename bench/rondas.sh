# Sourced by the benchmark scripts: runs the commands of the array `cmds`
# side by side, ROUNDS times, each after a sync so that none has writing
# back left from the one before, and collects into the associative arrays
# `times` (milliseconds, with DECIMALS places) and `ratios` (to the first
# command of the same round) a space-separated value a round. `median`
# reads such a list on standard input.
#
#   medir_rondas ROUNDS DECIMALS
medir_rondas() {
    local rondas=$1 decimales=$2 first k start end ms c
    for c in "${cmds[@]}"; do sh -c "$c" >/dev/null 2>&1 || true; done # warm up, and the cache
    for _ in $(seq "$rondas"); do
        first=""
        for k in "${!cmds[@]}"; do
            sync
            start=$EPOCHREALTIME
            sh -c "${cmds[$k]}" >/dev/null 2>&1 || true
            end=$EPOCHREALTIME
            ms=$(awk -v a="$start" -v b="$end" -v d="$decimales" \
                'BEGIN {printf "%.*f", d, (b - a) * 1000}')
            [ -n "$first" ] || first=$ms
            times[$k]+="$ms "
            ratios[$k]+="$(awk -v a="$ms" -v b="$first" 'BEGIN {printf "%.3f", a / b}') "
        done
    done
}

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
