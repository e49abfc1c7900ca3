# Checks of the release tests (sourced): each one counts; a failure says what and why.
checks=0
failures=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
check() { if "${@:2}"; then pass; else fail "$1"; fi; }  # check WHAT COMMAND...
expect_eq() { if [[ "$2" == "$3" ]]; then pass; else fail "$1: expected '$2', got '$3'"; fi; }
expect_contains() { if [[ "$3" == *"$2"* ]]; then pass; else fail "$1: '$2' not found in:"$'\n'"$3"; fi; }
finish() { echo "$1: $checks checks, $failures failed"; [[ $failures -eq 0 ]]; }
