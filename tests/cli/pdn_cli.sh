#!/usr/bin/env bash
# korvel-cli pdn check / export: a game file written as PDN and read back, files with
# a refused game, usage and read errors.
set -euo pipefail
cli=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"

# A 32-bit little-endian value as bytes.
le32() {
    local v=$1
    printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $(((v >> 8) & 255)))"
    printf "\\x$(printf %02x $(((v >> 16) & 255)))\\x$(printf %02x $(((v >> 24) & 255)))"
}
# An entry: white kings, white men, black kings, black men, the move text.
entry() {
    le32 "$1"; le32 "$2"; le32 "$3"; le32 "$4"
    local text=$5
    printf "\\x$(printf %02x ${#text})"
    printf '%s' "$text"
    head -c $((6 - ${#text} + 1)) /dev/zero
}
# c3-d4 f6-g5, taken back to the position after c3-d4 (plyNumber 2, Black to move).
{
    le32 2; le32 1; le32 3
    entry 0 $((0x00000FFF)) 0 $((0xFFF00000)) ""
    entry 0 $((0x00002DFF)) 0 $((0xFFF00000)) "c3-d4"
    entry 0 $((0x00002DFF)) 0 $((0xFFB80000)) "f6-g5"
} > game.gam
head -c $((14412 - $(stat -c %s game.gam))) /dev/zero >> game.gam
[ "$(stat -c %s game.gam)" = 14412 ]

"$cli" pdn export game.gam > game.pdn
expected='[Event "?"]
[Site "?"]
[Date "????.??.??"]
[Round "?"]
[White "?"]
[Black "?"]
[Result "*"]
[GameType "25"]

1. c3-d4 f6-g5 *'
[ "$(cat game.pdn)" = "$expected" ]
[ "$("$cli" pdn check game.pdn)" = '1: White "?" Black "?" Result "*" 2 half-moves' ]

# Three games; the second has a quiet move where a capture is compulsory.
printf '%s\r\n' '[White "Иванов"]' '[Black "Петров"]' '[Result "2-0"]' '' \
    '1. c3-d4 {дебют} f6-g5 2. d4-c5 b6xd4 2-0' '' \
    '1. c3-d4 f6-e5 2. d4-c5 *' '' \
    '[Result "1-1"]' '1. e3-f4 (1. a3-b4) b6-a5 1-1' > three.pdn
if out=$("$cli" pdn check three.pdn); then exit 1; fi
expected_check='1: White "Иванов" Black "Петров" Result "2-0" 4 half-moves
2: error: Партия 2, ход 2: недопустимый ход "d4-c5"
3: White "" Black "" Result "1-1" 2 half-moves'
[ "$out" = "$expected_check" ]

printf '1. c3-d4 f6-g5 *\n1. e3-f4 *\n' > good.pdn
[ "$("$cli" pdn check good.pdn)" = $'1: White "" Black "" Result "" 2 half-moves\n2: White "" Black "" Result "" 1 half-moves' ]

# A file without games, files that cannot be read, and usage errors.
printf '{nothing}\n' > empty.pdn
if "$cli" pdn check empty.pdn 2> err; then exit 1; fi
grep -q 'В файле нет ни одной партии' err
if "$cli" pdn check missing.pdn 2> err; then exit 1; fi
grep -q 'cannot read missing.pdn' err
head -c 100 game.gam > short.gam
if "$cli" pdn export short.gam > /dev/null 2> err; then exit 1; fi
grep -q 'short.gam is not a game file' err
status=0
"$cli" pdn 2> err || status=$?
[ "$status" = 2 ]
grep -q 'usage: korvel-cli pdn check FILE.pdn | export FILE.gam' err
echo ok
