#!/usr/bin/env bash
# korvel-cli match: a ballot played twice with the colours exchanged, the games written
# as PDN that reads back, the levels of the two sides, and refused options.
set -euo pipefail
cli=$(realpath "$1")
ballots=$(realpath "$(dirname "$0")/../../data/ballots.txt")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

fail() { echo "FAIL: $*"; exit 1; }

out=$("$cli" match --ballots 1 --depth 3 --level-b 1 --plies 120 --pdn games.pdn --ballot-file "$ballots")
[ "$(echo "$out" | grep -c '^game ')" = 2 ] || fail "two games expected: $out"
echo "$out" | grep -q '^game 1  1-I    A white' || fail "first game: $out"
echo "$out" | grep -q '^game 2  1-I    A black' || fail "second game: $out"
summary=$(echo "$out" | tail -n 1)
echo "$summary" | grep -Eq '^A \(level 8\) against B \(level 1\): \+[0-2] =[0-2] -[0-2] of 2 games, score [0-9.]+%, Elo ' ||
    fail "summary: $summary"

# The games start from the initial position with the ballot's moves and read back.
check=$("$cli" pdn check games.pdn) || fail "pdn check: $check"
[ "$(echo "$check" | grep -c 'Black "Korvel')" = 2 ] || fail "games read back: $check"
grep -q '^1. c3-d4 b6-a5 2. d4-c5' games.pdn || fail "the ballot's moves: $(head -12 games.pdn)"
grep -q '\[White "Korvel B, уровень 1"\]' games.pdn || fail "the second game's white player"

# Threads per side: A on two, B on one, the games as before.
if [ "$(nproc)" -ge 2 ]; then
    out=$("$cli" match --ballots 1 --depth 3 --threads-a 2 --threads-b 1 --plies 60 --ballot-file "$ballots")
    [ "$(echo "$out" | grep -c '^game ')" = 2 ] || fail "two games on two threads expected: $out"
fi

set +e
"$cli" match --threads 0 --ballot-file "$ballots" 2>/dev/null
[ $? = 2 ] || fail "no threads is a usage error"
"$cli" match --threads-a "$(($(nproc) + 1))" --ballot-file "$ballots" 2>/dev/null
[ $? = 2 ] || fail "more threads than processors is a usage error"
"$cli" match --level 9 --ballot-file "$ballots" 2>/dev/null
[ $? = 2 ] || fail "level 9 is a usage error"
"$cli" match --ballots 2>/dev/null
[ $? = 2 ] || fail "an option without its value is a usage error"
"$cli" match --ballot-file missing.txt >/dev/null 2>&1
[ $? = 1 ] || fail "a missing ballot file"
exit 0
