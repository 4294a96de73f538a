# korvel-cli --help and help COMMAND: on standard output with status 0, every command
# with its arguments and a working example, the same commands as the manual page,
# and wrong calls on standard error with status 2.
# Usage: bash help_cli.sh PATH_TO_KORVEL_CLI
set -u

cli=$(realpath "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
. "$source_dir/tests/checks.sh"

# The three spellings print the same text to standard output and succeed.
"$cli" --help >help.txt 2>err.txt
expect_equal "--help: status" 0 $?
expect_equal "--help: nothing on standard error" "" "$(cat err.txt)"
for spelling in help -h; do
    "$cli" $spelling >other.txt 2>&1
    expect_equal "$spelling: status" 0 $?
    cmp -s help.txt other.txt || fail "$spelling prints another text than --help"
done
grep -q "^POSITION is a position in one of two forms" help.txt || fail "--help does not say what POSITION is"
grep -q "W:Wa1,c1,Kg3:Bb8,h8" help.txt || fail "--help shows no FEN"
expect_equal "--help: lines wider than 80 columns" "" "$(awk 'length > 80' help.txt)"

# The commands, in the order of the help, each with its own help.
commands=$(sed -n 's/^  korvel-cli \([a-z]*\).*/\1/p' help.txt | uniq)
expect_equal "--help: the commands" \
    "moves perft divide eval search bench egtb book pdn analyse match puzzles help" "$(echo $commands)"
for name in $commands; do
    "$cli" help "$name" >one.txt 2>err.txt
    expect_equal "help $name: status" 0 $?
    expect_equal "help $name: nothing on standard error" "" "$(cat err.txt)"
    expect_equal "help $name: its usage leads" "  korvel-cli $name" "$(head -n 1 one.txt | cut -d' ' -f1-4)"
    grep -q "^      e\.g\. korvel-cli $name" one.txt || fail "help $name: no example"
    others=$(sed -n 's/^  korvel-cli \([a-z]*\).*/\1/p' one.txt | grep -vx "$name")
    expect_equal "help $name: no other command" "" "$others"
    # A call of the wrong shape answers with this command's usage, not "no command".
    "$cli" "$name" "wwwwwwwwwwww00000000bbbbbbbbbbbb w" --no-such-option 1 2 3 >/dev/null 2>err.txt
    expect_equal "$name --no-such-option: status" 2 $?
    grep -q "^usage: korvel-cli $name" err.txt || fail "$name --no-such-option: $(cat err.txt)"
done
grep -q "^POSITION is" <("$cli" help search) || fail "help search does not say what POSITION is"
grep -q "^POSITION is" <("$cli" help book) && fail "help book explains a POSITION it does not take"

# The examples of the commands that need no files run as shown.
for name in moves perft divide eval search help; do
    example=$("$cli" help "$name" | sed -n 's/^      e\.g\. //p')
    (PATH="$(dirname "$cli"):$PATH" eval "$example") >out.txt 2>&1
    expect_equal "example of $name: status" 0 $?
    [ -s out.txt ] || fail "example of $name prints nothing"
done

# Wrong calls: standard error, status 2, nothing on standard output.
for call in "help frobnicate" "frobnicate" "help search search" ""; do
    "$cli" $call >out.txt 2>err.txt
    expect_equal "'$call': status" 2 $?
    expect_equal "'$call': standard output" "" "$(cat out.txt)"
    [ -s err.txt ] || fail "'$call': no message"
done
grep -q 'no command "frobnicate"' <("$cli" frobnicate 2>&1) || fail "an unknown command is not named"

# The manual page lists the same commands and the same subcommands.
page="$source_dir/data/korvel-cli.6"
page_commands=$(awk '/^\.SH COMMANDS/ {on = 1; next} /^\.SH/ {on = 0} on && prev == ".TP" {print} {prev = $0}' "$page" |
    sed -n 's/^\\fB\([a-z]*\)\( [a-z]*\)\{0,1\}\\fR.*/\1\2/p')
help_commands=$(sed -n 's/^  korvel-cli \([a-z]*\)\( [a-z]*\)\{0,1\}\( .*\)\{0,1\}$/\1\2/p' help.txt |
    sed 's/ [A-Z].*//')
expect_equal "manual page and help: the commands" "$(echo $help_commands)" "$(echo $page_commands)"

finish "cli help"
