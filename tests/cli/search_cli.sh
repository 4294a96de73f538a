# korvel-cli search: the line per completed depth, bestmove, the forced cases, usage
# errors, and root moves scored from the distance files.
# Usage: bash search_cli.sh PATH_TO_KORVEL_CLI
set -u

cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
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

initial="wwwwwwwwwwww00000000bbbbbbbbbbbb w"

# Depth 7 to 9, one line each, then the first move of the last line.
out=$("$cli" search "$initial" --depth 9)
expect_equal "search exit status" 0 $?
expect_equal "search: depths" "7 8 9" "$(echo "$out" | grep '^depth' | awk '{print $2}' | paste -sd' ')"
bad=$(echo "$out" | grep '^depth' | grep -Evc '^depth [0-9]+ score -?[0-9]+ nodes [0-9]+ ms [0-9]+ pv ([a-h][1-8][-:][a-h][1-8] )*[a-h][1-8][-:][a-h][1-8]$')
expect_equal "search: every depth line in the format" 0 "$bad"
expect_equal "search: bestmove is the last line" "bestmove" "$(echo "$out" | tail -n 1 | awk '{print $1}')"
expect_equal "search: bestmove leads the last line" "$(echo "$out" | grep '^depth 9' | awk '{print $10}')" \
    "$(echo "$out" | tail -n 1 | awk '{print $2}')"
nodes=$(echo "$out" | grep '^depth' | awk '{print $6}' | paste -sd' ')
sorted=$(echo "$nodes" | tr ' ' '\n' | sort -n | paste -sd' ')
expect_equal "search: node counts grow" "$sorted" "$nodes"
expect_equal "search: the same search twice" "$(echo "$out" | grep -v '^depth' )" \
    "$("$cli" search "$initial" --depth 9 | grep -v '^depth')"

# One legal move: played at once. None: bestmove none.
expect_equal "search: forced capture" "bestmove f4:d6" "$("$cli" search "wwwwwwwwww0w00w000b0b0bbbbbbbbb0 w")"
expect_equal "search: no move" "bestmove none" "$("$cli" search "w000b0000b000000000000000000000b w")"
black="wwwwwwwwwwww00000000bbbbbbbbbbbb b"
best=$("$cli" search "$black" --depth 7 | tail -n 1 | awk '{print $2}')
"$cli" moves "$black" | awk '{print $1}' | grep -qx "$best" || fail "search: Black's best move $best is not one of Black's moves"

# d2-c3 leaves the last black man without a move: found at depth 7, nothing deeper.
expect_equal "search: a side left without moves" "depth 7 score 4998
bestmove d2-c3" "$("$cli" search "00000w0w0000w000b000000000000000 w" | sed 's/ nodes.*//')"

# A time budget ends the search by itself, with a move.
out=$("$cli" search "$initial" --time 20)
expect_equal "search --time: bestmove" "bestmove" "$(echo "$out" | tail -n 1 | awk '{print $1}')"

# Wrong arguments: one usage line on standard error, exit 2.
usage="usage: korvel-cli search POSITION [--time CENTISECONDS | --depth D] [--level N] [--threads N]"
check_usage() { # description, then the arguments
    local what=$1
    shift
    local err status
    err=$("$cli" search "$@" 2>&1 >/dev/null)
    status=$?
    expect_equal "$what: status" 2 "$status"
    expect_equal "$what: message" "$usage" "$err"
}
check_usage "no position"
check_usage "time without value" "$initial" --time
check_usage "time and depth together" "$initial" --depth 9 --time 5
check_usage "unknown option" "$initial" --nodes 5
check_usage "level without value" "$initial" --depth 9 --level
check_usage "threads without value" "$initial" --depth 9 --threads

# Threads: one is the default; two reach every depth and choose a legal move.
expect_equal "search --threads 1: the default" "$("$cli" search "$initial" --depth 9 | sed 's/ ms [0-9]*//')" \
    "$("$cli" search "$initial" --depth 9 --threads 1 | sed 's/ ms [0-9]*//')"
if [ "$(nproc)" -ge 2 ]; then
    out=$("$cli" search "$initial" --depth 10 --threads 2)
    expect_equal "search --threads 2: depths" "7 8 9 10" "$(echo "$out" | grep '^depth' | awk '{print $2}' | paste -sd' ')"
    "$cli" moves "$initial" | awk '{print $1}' | grep -qx "$(echo "$out" | tail -n 1 | awk '{print $2}')" ||
        fail "search --threads 2: the move chosen is not a legal move"
fi

# A value the call cannot use: what was wrong and the range, on standard error, exit 2.
check_message() { # description, expected message, then the arguments
    local what=$1 expected=$2
    shift 2
    local err status
    err=$("$cli" search "$@" 2>&1 >/dev/null)
    status=$?
    expect_equal "$what: status" 2 "$status"
    expect_equal "$what: message" "$expected" "$err"
}
not_a_position='is not a position: give the 34-character text, as "wwwwwwwwwwww00000000bbbbbbbbbbbb w", or a FEN, as "W:Wa1,c1,Kg3:Bb8,h8" (korvel-cli --help tells more)'
check_message "short position" "korvel-cli: \"wwww w\" $not_a_position" "wwww w"
check_message "FEN with a square named twice" "korvel-cli: \"W:Wa1,a1:Bh8\" $not_a_position" "W:Wa1,a1:Bh8"
check_message "depth below the first iteration" \
    "korvel-cli: depth 6 is out of range: the depth runs from 7 to 63" "$initial" --depth 6
check_message "depth beyond the last ply" \
    "korvel-cli: depth 64 is out of range: the depth runs from 7 to 63" "$initial" --depth 64
check_message "depth not a number" \
    "korvel-cli: depth x is not a whole number: the depth runs from 7 to 63" "$initial" --depth x
check_message "negative time" \
    "korvel-cli: time -1 is out of range: the time runs from 0 to 2000000000 hundredths of a second" "$initial" --time -1
check_message "level above 8" "korvel-cli: level 9 is out of range: the level runs from 1 to 8" "$initial" --level 9
check_message "no threads" \
    "korvel-cli: threads 0 is out of range: the number of threads runs from 1 to $(nproc) on this machine" \
    "$initial" --threads 0
check_message "more threads than processors" \
    "korvel-cli: threads $(($(nproc) + 1)) is out of range: the number of threads runs from 1 to $(nproc) on this machine" \
    "$initial" --threads "$(($(nproc) + 1))"
check_message "level beyond a long" \
    "korvel-cli: level 99999999999999999999 is out of range: the level runs from 1 to 8" "$initial" --level 99999999999999999999

# A FEN is the same position as its text: the same search, move for move.
expect_equal "search from a FEN" "$("$cli" search "$initial" --depth 8 | sed 's/ ms [0-9]*//')" \
    "$("$cli" search "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8" --depth 8 |
        sed 's/ ms [0-9]*//')"
expect_equal "search from a FEN, Black to move" "bestmove d4:b2" "$("$cli" search "B:Wc3:Bd4" | tail -n 1)"

# Levels: 8 is the full engine; 5 ends the depth loop at 7; 2 scores the root moves at
# depth 2 and reports one line.
expect_equal "search --level 8: the full search" "$("$cli" search "$initial" --depth 9 | sed 's/ ms [0-9]*//')" \
    "$("$cli" search "$initial" --depth 9 --level 8 | sed 's/ ms [0-9]*//')"
expect_equal "search --level 5: depths" "7" "$("$cli" search "$initial" --level 5 --depth 9 | grep '^depth' | awk '{print $2}' | paste -sd' ')"
out=$("$cli" search "$initial" --level 2)
expect_equal "search --level 2: one depth line" "2" "$(echo "$out" | grep '^depth' | awk '{print $2}')"
"$cli" moves "$initial" | awk '{print $1}' | grep -qx "$(echo "$out" | tail -n 1 | awk '{print $2}')" ||
    fail "search --level 2: the move chosen is not a legal move"

# With distance files, every root move takes its score from them: king e1 against
# men c7 and g7 wins with e1-c3 in as many moves as the table says.
mkdir tables
"$cli" egtb build tables --pieces 3 >/dev/null 2>&1 || fail "egtb build"
printf 'egtbpath=%s/tables\nEGTBPieses=3\n' "$work" > korvel.ini
exact=$("$cli" egtb probe tables "000000000W000000000000000b0b0000 b" | sed -n 's/^exact \([0-9]*\):.*/\1/p')
out=$("$cli" search "00W0000000000000000000000b0b0000 w")
expect_equal "search with tables: best move" "bestmove e1-c3" "$(echo "$out" | tail -n 1)"
expect_equal "search with tables: score from the distance" "$((5000 - 2 * exact))" \
    "$(echo "$out" | grep '^depth' | tail -n 1 | awk '{print $4}')"
# Below the root nothing is searched: each root search makes the root moves only.
roots=$("$cli" moves "00W0000000000000000000000b0b0000 w" | wc -l)
first=$(echo "$out" | grep '^depth' | head -n 1)
last=$(echo "$out" | grep '^depth' | tail -n 1)
expect_equal "search with tables: moves made per depth" \
    "$(( ($(echo "$last" | awk '{print $2}') - $(echo "$first" | awk '{print $2}')) * roots ))" \
    "$(( $(echo "$last" | awk '{print $6}') - $(echo "$first" | awk '{print $6}') ))"

[ "$failures" -eq 0 ] || exit 1
exit 0
