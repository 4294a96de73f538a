# Checks shared by the shell tests: sourced, never run by itself.
# fail MESSAGE counts a failed check; expect_equal DESCRIPTION EXPECTED ACTUAL compares;
# finish NAME ends the test with the count of failed checks.
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_equal() {
    if [ "$2" != "$3" ]; then
        fail "$1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
    fi
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
    exit 0
}
