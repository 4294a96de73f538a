# korvel-cli bench: the format of its lines and the node signature. The signature
# changes only when the search's behaviour changes; a deliberate change updates it.
# Usage: bash bench_signature.sh PATH_TO_KORVEL_CLI
set -u

cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
signature=14941623

fail() {
    echo "FAIL: $*"
    exit 1
}

# A configuration in the folder must not change the benchmark.
printf 'hashsize=1\n' > korvel.ini
out=$("$cli" bench) || fail "bench exit status $?"
positions=$(echo "$out" | grep -c ' depth [0-9]* moves [0-9]*$')
[ "$positions" -ge 12 ] || fail "only $positions positions"
[ "$(echo "$out" | wc -l)" = $((positions + 1)) ] || fail "unexpected lines: $out"
echo "$out" | tail -n 1 | grep -Eqx 'bench [0-9]+ nodes [0-9]+ nps' || fail "last line: $(echo "$out" | tail -n 1)"
total=$(echo "$out" | tail -n 1 | awk '{print $2}')
sum=$(echo "$out" | grep ' moves ' | awk '{s += $NF} END {print s}')
[ "$total" = "$sum" ] || fail "total $total is not the sum of the positions, $sum"
[ "$total" = "$signature" ] || fail "signature $total, expected $signature"
"$cli" bench extra 2>/dev/null
[ $? = 2 ] || fail "an argument is not a usage error"
exit 0
