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
"$cli" match --ballot-file missing.txt >/dev/null 2>err
[ $? = 1 ] || fail "a missing ballot file"
grep -q '^korvel-cli: cannot read missing.txt: ' err || fail "a missing ballot file is told as such: $(cat err)"

# What cannot be played, or written, is refused before a game is played.
refused() { # expected message, then the options
    local expected=$1
    shift
    "$cli" match --depth 1 --plies 2 "$@" >out 2>err
    [ $? = 1 ] || fail "not refused: $*"
    [ ! -s out ] || fail "played although refused: $* : $(cat out)"
    grep -qF -- "$expected" err || fail "message for $*: $(cat err)"
}
refused "--first 151: $ballots holds 150 ballots" --first 151 --ballots 1 --ballot-file "$ballots"
refused "--first 2000000000: $ballots holds 150 ballots" --first 2000000000 --ballots 2000000000 --ballot-file "$ballots"
refused "cannot write /nonexistent/dir/x.pdn: " --ballots 1 --pdn /nonexistent/dir/x.pdn --ballot-file "$ballots"
printf '# two ballots\n1-I | wwwwwwwww0ww0000bw000bbbbbbbbbbb b | cd4 ba5 dc5\n1-II | wwwwww0wwwww00w00b00b0bbbbbbbbbb | ef4\n' > broken.txt
refused "broken.txt:3: not a ballot" --ballot-file broken.txt
printf '1-I | 00000000000000000000000000000000 w | cd4\n' > empty-board.txt
refused "empty-board.txt:1: not a ballot" --ballot-file empty-board.txt
# A file that fails while the games are written.
if [ -w /dev/full ]; then
    "$cli" match --ballots 1 --depth 1 --plies 2 --pdn /dev/full --ballot-file "$ballots" >/dev/null 2>err
    [ $? = 1 ] || fail "a full disk passed"
    grep -q 'cannot write /dev/full' err || fail "full disk message: $(cat err)"
fi
exit 0
