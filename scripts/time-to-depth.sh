#!/usr/bin/env bash
# Time to depth of the parallel search: every bench position searched on one thread and
# on N, each RUNS times, to a depth that takes about a second on one thread (deeper than
# the bench's, which end within milliseconds in the endings); per position the median
# milliseconds at which the last depth completed, their ratio, and the median ratio over
# the positions. Two of the endings end their depth loop early with a found win.
#   scripts/time-to-depth.sh KORVEL_CLI [THREADS] [RUNS]
set -eu
cli=$(realpath "$1")
threads=${2:-2}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The positions of korvel-cli bench.
positions=(
    "wwwwwwwwwwww00000000bbbbbbbbbbbb w:17"
    "wwwwwwwww0www0000000bbbbbbbbbbbb b:17"
    "wwww0w0ww00w00w0b000bbbb0000bbbb w:15"
    "www0wwwwwww00w0000b0bb0bbbbb0bbb b:17"
    "0ww0w0wwww0w0w0wb0bb0bb00bbb0b0b b:19"
    "ww0ww0www0w0w0w000bb0b0bbb0b0bbb w:19"
    "0w0w0000b0ww00wb00w0000b00b0000b w:25"
    "00w0w00ww00w0w0w0bb00b00bb0b0000 b:17"
    "0000w0w0w00w0000b0b000b000b00000 w:25"
    "000W00w00w000000000b0b000b00b000 w:17"
    "0000000W0000000000000b0bB0000000 b:25"
    "00000W0000000000000000b00b0B0000 b:15"
    "00000000000w00w0000000000000B000 w:35"
)

# The milliseconds of the last depth line of one search.
last_ms() { "$cli" search "$1" --depth "$2" --threads "$3" | grep '^depth' | tail -n 1 | awk '{print $8}'; }
median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

ratios=()
for entry in "${positions[@]}"; do
    text=${entry%:*}
    depth=${entry##*:}
    one=() many=()
    for ((r = 0; r < runs; ++r)); do
        one+=("$(last_ms "$text" "$depth" 1)")
        many+=("$(last_ms "$text" "$depth" "$threads")")
    done
    t1=$(printf '%s\n' "${one[@]}" | median)
    tn=$(printf '%s\n' "${many[@]}" | median)
    ratio=$(awk -v a="$tn" -v b="$t1" 'BEGIN {printf "%.3f", (b > 0 ? a / b : 1)}')
    ratios+=("$ratio")
    printf '%s depth %s: 1 thread %s ms, %s threads %s ms, ratio %s\n' "$text" "$depth" "$t1" "$threads" "$tn" "$ratio"
done
printf 'median ratio %s\n' "$(printf '%s\n' "${ratios[@]}" | median)"
