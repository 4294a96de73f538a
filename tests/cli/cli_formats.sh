# korvel-cli's output formats and exit statuses.
# Usage: bash cli_formats.sh PATH_TO_KORVEL_CLI
set -u

cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The tool reads korvel.ini from the working directory: run where there is none.
cd "$work" || exit 1

initial="wwwwwwwwwwww00000000bbbbbbbbbbbb w"
# White man d6 against black men b8 c5 c7 e5 g5 g7: the crowning capture.
crowning="00000000000000000bbb0w000b0bb000 w"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_equal() { # description expected actual
    if [ "$2" != "$3" ]; then
        fail "$1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
    fi
}

# moves: MOVETEXT CAPTURED WORD, in generation order.
out=$("$cli" moves "$initial")
expect_equal "moves exit status" 0 $?
expect_equal "moves: first line" "a3-b4 - 392" "$(echo "$out" | head -n 1)"
expect_equal "moves: line count" 7 "$(echo "$out" | wc -l)"
expect_equal "moves: last line" "g3-h4 - 491" "$(echo "$out" | tail -n 1)"
expect_equal "moves: captures with their pieces and words" \
"d6:a3 c5:e5:g5:g7 53525
d6:b4 c5:e5:g5:g7 53653
d6:b4 c5 17813" "$("$cli" moves "$crowning")"
expect_equal "moves: Black to move" "b6-c5 - 564" \
    "$("$cli" moves "wwwwwwwwwwww00000000bbbbbbbbbbbb b" | head -n 1)"

# perft: "perft d COUNT MS ms" for every depth up to the one asked for.
out=$("$cli" perft "$initial" 5)
expect_equal "perft exit status" 0 $?
expect_equal "perft: line count" 5 "$(echo "$out" | wc -l)"
bad=$(echo "$out" | grep -Evc '^perft [1-5] [0-9]+ [0-9]+ ms$')
expect_equal "perft: every line in the format" 0 "$bad"
expect_equal "perft: counts" "7 49 302 1469 7482" "$(echo "$out" | awk '{print $3}' | paste -sd' ')"
expect_equal "perft: depths in order" "1 2 3 4 5" "$(echo "$out" | awk '{print $2}' | paste -sd' ')"

# divide: one line per root move, then the total.
out=$("$cli" divide "$initial" 3)
expect_equal "divide exit status" 0 $?
expect_equal "divide: last line" "total 302" "$(echo "$out" | tail -n 1)"
expect_equal "divide: first line" "a3-b4 $(echo "$out" | head -n 1 | awk '{print $2}')" "$(echo "$out" | head -n 1)"
expect_equal "divide: move lines" 7 "$(echo "$out" | grep -Ec '^[a-h][1-8]-[a-h][1-8] [0-9]+$')"
expect_equal "divide: the parts add up" 302 "$(echo "$out" | grep -v '^total' | awk '{s += $2} END {print s}')"
expect_equal "divide at depth 1" "total 7" "$("$cli" divide "$initial" 1 | tail -n 1)"
expect_equal "divide: capture moves" "d6:a3 1
d6:b4 1
d6:b4 1
total 3" "$("$cli" divide "$crowning" 1)"

# eval: one integer for the side to move.
expect_equal "eval of the initial position" 0 "$("$cli" eval "$initial")"
expect_equal "eval: d6 against h8" 90 "$("$cli" eval "000000000000000000000w000000000b w")"
expect_equal "eval: d6 against h8, Black to move" -90 "$("$cli" eval "000000000000000000000w000000000b b")"

# Wrong arguments: nothing on standard output, a one-line usage message, status 2.
check_usage() { # description, then the arguments
    local what=$1
    shift
    "$cli" "$@" >"$work/out" 2>"$work/err"
    local status=$?
    expect_equal "$what: exit status" 2 "$status"
    expect_equal "$what: standard output" "" "$(cat "$work/out")"
    [ -s "$work/err" ] || fail "$what: no message on standard error"
}
check_one_line_usage() { # command, then the arguments
    check_usage "$@"
    expect_equal "$1 $2: one line" 1 "$(wc -l <"$work/err")"
    grep -q "^usage: korvel-cli $2 " "$work/err" || fail "$1: message names the command: $(cat "$work/err")"
}
check_usage "no command"
check_usage "unknown command" frobnicate
check_one_line_usage "moves without position" moves
check_one_line_usage "moves with an extra argument" moves "$initial" extra
check_one_line_usage "perft without depth" perft "$initial"
check_one_line_usage "eval with two positions" eval "$initial" "$initial"
# A value it cannot use: one line saying what was wrong and what is accepted.
check_message() { # description, expected message, then the arguments
    local what=$1 expected=$2
    shift 2
    check_usage "$what" "$@"
    expect_equal "$what: message" "$expected" "$(cat "$work/err")"
}
not_a_position='is not a position: give the 34-character text, as "wwwwwwwwwwww00000000bbbbbbbbbbbb w", or a FEN, as "W:Wa1,c1,Kg3:Bb8,h8" (korvel-cli --help tells more)'
check_message "moves with a short position" "korvel-cli: \"wwww w\" $not_a_position" moves "wwww w"
check_message "eval with a FEN without Black" "korvel-cli: \"W:Wc3\" $not_a_position" eval "W:Wc3"
check_message "perft depth 0" "korvel-cli: depth 0 is out of range: the depth runs from 1 to 63" perft "$initial" 0
check_message "perft depth 64" "korvel-cli: depth 64 is out of range: the depth runs from 1 to 63" perft "$initial" 64
check_message "perft depth not a number" "korvel-cli: depth 3x is not a whole number: the depth runs from 1 to 63" \
    perft "$initial" 3x
check_message "divide depth not a number" "korvel-cli: depth abc is not a whole number: the depth runs from 1 to 63" \
    divide "$initial" abc

# A FEN wherever a position is asked: the same answers as its text.
crowning_fen="W:Wd6:Bb8,c5,c7,e5,g5,g7"
for command in "moves|$crowning|$crowning_fen" "eval|$crowning|$crowning_fen" "perft|$crowning|$crowning_fen|3" \
    "divide|$crowning|$crowning_fen|2"; do
    IFS='|' read -r name text fen depth <<<"$command"
    expect_equal "$name from a FEN" "$("$cli" "$name" "$text" $depth | sed 's/ [0-9]* ms$//')" \
        "$("$cli" "$name" "$fen" $depth | sed 's/ [0-9]* ms$//')"
done
expect_equal "moves from a FEN, Black to move" "$("$cli" moves "wwwwwwwwwwww00000000bbbbbbbbbbbb b")" \
    "$("$cli" moves "B:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8")"
expect_equal "a king from a FEN: the long diagonal up to h8" "a1-b2 a1-c3 a1-d4 a1-e5 a1-f6 a1-g7" \
    "$("$cli" moves "W:WKa1:Bh8" | awk '{print $1}' | paste -sd' ')"

# A malformed number in korvel.ini is reported, in the engine's own words, by every
# command that starts the engine, which then ends with status 1: not with its usage.
printf 'hashsize=12x\n' >korvel.ini
mkdir -p "$work/tables"
for command in "moves|$initial" "perft|$initial|3" "divide|$initial|3" "eval|$initial" \
    "search|$initial|--depth|7" "egtb|build|$work/tables|--pieces|2" "egtb|verify|$work/tables" \
    "egtb|probe|$work/tables|$crowning" "match|--ballots|1|--depth|3"; do
    IFS='|' read -r -a args <<<"$command"
    "$cli" "${args[@]}" >"$work/out" 2>"$work/err"
    status=$?
    expect_equal "malformed korvel.ini, ${args[0]}: exit status" 1 "$status"
    expect_equal "malformed korvel.ini, ${args[0]}: standard output" "" "$(cat "$work/out")"
    expect_equal "malformed korvel.ini, ${args[0]}: the message" \
        'korvel-cli: Ошибка в korvel.ini: "12x" — не целое число (hashsize)' "$(cat "$work/err")"
done
# A good one is read: a small table still gives the same counts.
printf 'hashsize=1\n' >korvel.ini
expect_equal "with korvel.ini" "perft 3 302" "$("$cli" perft "$initial" 3 | tail -n 1 | awk '{print $1, $2, $3}')"
rm -f korvel.ini

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "cli formats: all checks passed"
