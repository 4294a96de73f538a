#!/usr/bin/env bash
# korvel-cli analyse: the annotated game reads back with a score after every half-move,
# the man given away is marked, one progress line per half-move; the game chosen by
# number, and the errors.
set -euo pipefail
cli=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# The first game is an opening; in the second White gives away the man on d4.
printf '%s\n' '[White "A"]' '[Black "B"]' '1. c3-d4 f6-g5 2. b2-c3 *' '' \
    '[White "C"]' '[FEN "W:Wc1,e1,d4:Bf6,b8,d8"]' '1. d4-e5 f6xd4 2. e1-d2 d8-e7 *' > games.pdn

"$cli" analyse games.pdn --game 2 --depth 9 > out.pdn 2> progress
[ "$("$cli" pdn check out.pdn)" = '1: White "C" Black "" Result "" 4 half-moves' ]
# A score comment after every half-move, as +0.35 or a win as #7 / #-7.
[ "$(grep -oE '\{[^}]*\}' out.pdn | wc -l)" = 4 ]
[ "$(grep -oE '\{([+-]?[0-9]+\.[0-9]{2}|#-?[0-9]+)( [^}]*)?\}' out.pdn | wc -l)" = 4 ]
grep -q '^\[FEN "W:Wc1,e1,d4:Bf6,b8,d8"\]$' out.pdn
grep -qE '^1\. d4-e5\? \{-[0-9]+\.[0-9]{2} лучше [a-h][1-8]-[a-h][1-8] ' out.pdn
[ "$(grep -o '?' out.pdn | wc -l)" = 1 ]
[ "$(wc -l < progress)" = 4 ]
grep -qE '^1/4 d4-e5\? -[0-9.]+ best ' progress
grep -qE '^4/4 d8-e7 ' progress

# The first game by default; a time budget instead of a depth.
"$cli" analyse games.pdn --time 5 > first.pdn 2> /dev/null
[ "$("$cli" pdn check first.pdn)" = '1: White "A" Black "B" Result "" 3 half-moves' ]
[ "$(grep -oE '\{[^}]*\}' first.pdn | wc -l)" = 3 ]

# On two threads: the same annotations' shape.
if [ "$(nproc)" -ge 2 ]; then
    "$cli" analyse games.pdn --game 2 --depth 9 --threads 2 > two.pdn 2> /dev/null
    [ "$(grep -oE '\{[^}]*\}' two.pdn | wc -l)" = 4 ]
fi
status=0
"$cli" analyse games.pdn --threads 0 2> err || status=$?
[ "$status" = 2 ]

if "$cli" analyse games.pdn --game 3 2> err; then exit 1; fi
grep -q 'no game 3 (2 in the file)' err
if "$cli" analyse missing.pdn 2> err; then exit 1; fi
grep -q 'cannot read missing.pdn' err
status=0
"$cli" analyse games.pdn --nodes 3 2> err || status=$?
[ "$status" = 2 ]
grep -q 'usage: korvel-cli analyse GAME.pdn' err
status=0
"$cli" analyse games.pdn --depth 3 2> err || status=$?
[ "$status" = 2 ]
[ "$(cat err)" = "korvel-cli: depth 3 is out of range: the depth runs from 7 to 63" ]
status=0
"$cli" analyse games.pdn --time 0 2> err || status=$?
[ "$status" = 2 ]
[ "$(cat err)" = "korvel-cli: time 0 is out of range: the time runs from 1 to 2000000000 hundredths of a second" ]
echo ok
