#!/usr/bin/env bash
# Checks k-berg-table, given as a command ("build/ci/k-berg-table", "wine k-berg-table.exe"),
# where it needs a process, in an empty folder: with --same-as, output as the Linux build's,
# byte for byte; bad arguments and /dev/full give status 2, one line on standard error and no
# file; the chart replaces an old one whole and leaves nothing when it cannot be put in place;
# the chart of docs/berg-chart.svg comes out well-formed and the same byte for byte.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 [--same-as LINUX_BINARY] COMMAND..." >&2; exit 2; }
docs=$(cd "$(dirname "$0")/../docs" && pwd)
linux=
[ "$1" != --same-as ] || { linux=$(realpath "$2") && shift 2; }
command=()
for word in "$@"; do
  [[ $word == */* && -e $word ]] && word=$(realpath "$word")
  command+=("$word")
done
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

failures=0
fail() { echo "check_table: $*" >&2 && failures=$((failures + 1)); }

# Runs the program with the given arguments; sets status, leaves stdout and stderr in files.
run() {
  status=0
  "${command[@]}" "$@" >stdout 2>stderr || status=$?
}

# Status 2, one line on standard error containing the text, nothing else: no output, and no
# file beside those in $files.
files="stderr stdout "
expect_refusal() {
  local expected=$1
  shift
  run "$@"
  [ "$status" -eq 2 ] || fail "$*: status $status, expected 2"
  [ "$(wc -l <stderr)" -eq 1 ] && grep -qF -- "$expected" stderr ||
    fail "$*: standard error is not one line naming '$expected': $(cat stderr)"
  [ ! -s stdout ] || fail "$*: standard output is not empty"
  [ "$(ls -A | sort | tr '\n' ' ')" = "$files" ] || fail "$*: left files: $(ls -A)"
}

if [ -n "$linux" ]; then
  while read -r arguments; do
    # shellcheck disable=SC2086 # the arguments are words
    "$linux" $arguments >linux.out && "${command[@]}" $arguments >stdout
    cmp linux.out stdout || fail "'$arguments' differs from the Linux build's output"
  done <<'ROWS'
--help
--phases
--csv --exponent 0.93,1,1.5,2,3.3,5.01 --from 4.9 --to 180.1 --step 0.1
ROWS
  rm linux.out stdout
fi

# The reasons themselves are checked in-process (tests/table_options_test.cpp).
while read -r expected arguments; do
  # shellcheck disable=SC2086 # the arguments are words
  expect_refusal "$expected" $arguments --svg chart.svg
done <<'ROWS'
--bogus      --bogus
--step       --step abc
--from       --from 100 --to 50
--harmonics  --harmonics 0-10
ROWS

status=0 && { "${command[@]}" >/dev/full 2>stderr || status=$?; }
[ "$status" -eq 2 ] && grep -q "No space left" stderr || fail "/dev/full: status $status"

echo old >chart.svg
run --svg chart.svg
[ "$status" -eq 0 ] && head -c 5 chart.svg | grep -q '<?xml' || fail "old chart not replaced"
[ "$(ls -A | sort | tr '\n' ' ')" = "chart.svg stderr stdout " ] || fail "left files: $(ls -A)"
rm chart.svg

mkdir folder.svg
files="folder.svg stderr stdout " expect_refusal "folder.svg" --svg folder.svg
[ -d folder.svg ] && [ -z "$(ls -A folder.svg)" ] || fail "the folder named as chart changed"
rmdir folder.svg
expect_refusal "missing/chart.svg" --svg missing/chart.svg

# The chart in docs/, drawn as the README says.
run --step 1 --svg berg-chart.svg
[ "$status" -eq 0 ] || fail "chart: status $status"
xmllint --noout berg-chart.svg || fail "chart: not well-formed XML"
cmp berg-chart.svg "$docs/berg-chart.svg" || fail "chart differs from docs/berg-chart.svg"

[ "$failures" -eq 0 ] || exit 1
echo "check_table: '$*' passed"
