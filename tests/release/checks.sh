# Checks of the release tests (sourced): each one counts; a failure says what and why.
checks=0
failures=0
pass() { checks=$((checks + 1)); }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL: $*"; }
check() { if "${@:2}"; then pass; else fail "$1"; fi; }  # check WHAT COMMAND...
expect_eq() { if [[ "$2" == "$3" ]]; then pass; else fail "$1: expected '$2', got '$3'"; fi; }
expect_contains() { if [[ "$3" == *"$2"* ]]; then pass; else fail "$1: '$2' not found in:"$'\n'"$3"; fi; }
finish() { echo "$1: $checks checks, $failures failed"; [[ $failures -eq 0 ]]; }
# windows_path PATH: its Windows name, Wine's drive Z: being the root. (winepath would
# start a Wine program for each name, and one that fails hands on an empty name.)
windows_path() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}
