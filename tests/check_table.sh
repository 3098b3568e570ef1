#!/usr/bin/env bash
# Runs k-berg-table, given as a command (such as "build/ci/k-berg-table" or "wine
# k-berg-table.exe"), for what needs a process of its own, in an empty folder:
# - each bad argument ends with status 2, one line on standard error naming it, nothing on
#   standard output and no file written;
# - a standard output that cannot be written (/dev/full) ends with status 2 and a message;
# - the chart goes through a temporary file beside FILE: it replaces an old chart whole, and
#   a chart that cannot be put in place leaves no file behind;
# - the chart of docs/berg-chart.svg comes out well-formed and the same byte for byte.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND..." >&2; exit 2; }
docs=$(cd "$(dirname "$0")/../docs" && pwd)
command=()
for word in "$@"; do
  [[ $word == */* && -e $word ]] && word=$(realpath "$word")
  command+=("$word")
done
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

failures=0
fail() {
  echo "check_table: $*" >&2
  failures=$((failures + 1))
}

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

while read -r expected arguments; do
  # shellcheck disable=SC2086 # the arguments are words
  expect_refusal "$expected" $arguments --svg chart.svg
done <<'ROWS'
--bogus      --bogus
extra        extra
--step       --step abc
--step       --step 0
--step       --step 0.0001
--from       --from 100 --to 50
--to         --to 180.2
--exponent   --exponent 1,6
--harmonics  --harmonics 0-10
ROWS

status=0
"${command[@]}" >/dev/full 2>stderr || status=$?
[ "$status" -eq 2 ] && grep -q "No space left on device" stderr ||
  fail "standard output on /dev/full: status $status, $(cat stderr)"

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
