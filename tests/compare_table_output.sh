#!/usr/bin/env bash
# Runs the Linux k-berg-table and another build of it (such as "wine k-berg-table.exe") with the
# same arguments and compares standard output byte for byte: tables, CSV and help.
set -euo pipefail
[ $# -gt 1 ] || { echo "usage: $0 LINUX_BINARY COMMAND..." >&2; exit 2; }
linux=$(realpath "$1")
shift
# The programs run in a folder of their own: files named by a relative path are made absolute.
command=()
for word in "$@"; do
  [[ $word == */* && -e $word ]] && word=$(realpath "$word")
  command+=("$word")
done
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

failures=0
while read -r arguments; do
  # shellcheck disable=SC2086 # the arguments are words
  "$linux" $arguments >linux.out
  # shellcheck disable=SC2086
  "${command[@]}" $arguments >other.out
  cmp linux.out other.out || {
    echo "compare_table_output: '$arguments' differs" >&2
    failures=$((failures + 1))
  }
done <<'ROWS'
--help
--phases
--csv --exponent 0.93,1,1.5,2,3.3,5.01 --from 4.9 --to 180.1 --step 0.1
ROWS
[ "$failures" -eq 0 ] || exit 1
echo "compare_table_output: '$*' wrote the same bytes"
