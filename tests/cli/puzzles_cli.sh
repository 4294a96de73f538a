#!/usr/bin/env bash
# korvel-cli puzzles make and check: a combination found in a PDN game and appended
# once however often the run is repeated, a collection checked line by line with the
# failures named, and usage errors.
set -euo pipefail
cli=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

fail() { echo "FAIL: $*"; exit 1; }

# A game whose first half-move is the combination, and one refused game.
cat > games.pdn <<'EOF'
[Event "shot"]
[SetUp "1"]
[FEN "W:Wc3,Ka7:BKg1,f4"]

1. c3-d4 g1xc5 2. a7xg5 1-0

[Event "broken"]

1. c3-e5 *
EOF
"$cli" puzzles make --out found.txt games.pdn 2> progress.txt > summary.txt
grep -q '^1 puzzles added to found.txt$' summary.txt || fail "make: $(cat summary.txt)"
grep -q 'Партия 2' progress.txt || fail "the refused game is not named"
expected='W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | win | 2 1 | games.pdn, партия 1, полуход 1'
[ "$(cat found.txt)" = "$expected" ] || fail "found: $(cat found.txt)"
# A second run finds the position in the file and adds nothing.
"$cli" puzzles make --out found.txt games.pdn 2> /dev/null > summary.txt
grep -q '^0 puzzles added' summary.txt || fail "repeat: $(cat summary.txt)"
[ "$(wc -l < found.txt)" = 1 ] || fail "the repeat appended"

"$cli" puzzles check found.txt > checked.txt || fail "check of a good collection: $(cat checked.txt)"
grep -q '^1 puzzles checked at depth 14, 0 failed$' checked.txt || fail "check: $(cat checked.txt)"

# The claimed gain is too high on line 2, the first move loses on line 3, line 4 is damaged.
{
    echo "# a collection with faults"
    echo 'W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | 3 | 2 1 | x'
    echo 'W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8 | f4-e5 d6:f4 g3:e5 | 1 | 2 1 | x'
    echo 'W:Wc3,Ka7:BKg1,f4 | c3-d4 | 2'
    echo 'W:Wh2,a3,e3,c5,e5:BKa1,h6,c7,g7,d8,h8 | c5-d6 a1:f6 d6:b8 | 2 | 2 1 | x'
} > faulty.txt
status=0
"$cli" puzzles check faulty.txt > checked.txt || status=$?
[ "$status" = 1 ] || fail "check of a faulty collection exits $status"
[ "$(grep -o '^Строка [0-9]*' checked.txt | paste -sd,)" = "Строка 2,Строка 3,Строка 4" ] ||
    fail "lines named: $(cat checked.txt)"
grep -q '^3 puzzles checked at depth 14, 3 failed$' checked.txt || fail "summary: $(tail -1 checked.txt)"

status=0
"$cli" puzzles check missing.txt 2> /dev/null || status=$?
[ "$status" = 1 ] || fail "missing file exits $status"
for args in "" "make --games 0" "make --depth 2" "check" "check found.txt --depth x" "solve"; do
    status=0
    # shellcheck disable=SC2086
    "$cli" puzzles $args > /dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "usage error for '$args' exits $status"
done
"$cli" puzzles make --depth 2 2> err.txt && fail "depth 2 accepted"
[ "$(cat err.txt)" = "korvel-cli: depth 2 is out of range: the depth runs from 4 to 30" ] || fail "range: $(cat err.txt)"
echo "puzzles cli: ok"
