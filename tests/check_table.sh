#!/usr/bin/env bash
# k-berg-table where only a process shows it: the command, given with absolute paths
# ("/…/k-berg-table", "wine /…/k-berg-table.exe"), run in an empty folder. With --same-as
# LINUX_BINARY, its output must also be that build's, byte for byte.
set -euo pipefail
docs=$(cd "$(dirname "$0")/../docs" && pwd)
[ "$1" != --same-as ] || { linux=$2 && shift 2; }
folder=$(mktemp -d) && cd "$folder" && trap 'rm -rf "$folder"' EXIT
fail() { echo "check_table: $*" >&2 && exit 1; }

for arguments in --help --phases "--csv --exponent 0.93,5.01 --from 4.9 --to 180.1 --step 0.1"; do
  # shellcheck disable=SC2086 # the arguments are words
  [ -z "${linux:-}" ] || cmp <("$linux" $arguments) <("$@" $arguments) || fail "$arguments: differs"
done

# Refused: status 2, one line on standard error naming $1, no output, and no file but $files.
refused() {
  status=0 && { "${@:2}" >stdout 2>stderr || status=$?; }
  [ "$status" -eq 2 ] && [ "$(wc -l <stderr)" -eq 1 ] && grep -qF -- "$1" stderr &&
    [ ! -s stdout ] && [ "$(ls -A | tr '\n' ' ')" = "$files" ] ||
    fail "${*:2}: status $status, standard error $(cat stderr), files $(ls -A)"
}
files="stderr stdout " && refused --step "$@" --step 0 --svg chart.svg
refused "No space left" bash -c '"$@" >/dev/full' - "$@"
mkdir folder.svg && files="folder.svg stderr stdout " && refused folder.svg "$@" --svg folder.svg
rmdir folder.svg || fail "the folder named as the chart changed"

# The chart of docs/, drawn as the README says, over a file with a second hard link, old:
# written through it, so that both names show the new chart.
echo old >old && ln old chart.svg
"$@" --step 1 --svg chart.svg >stdout && xmllint --noout chart.svg &&
  cmp chart.svg "$docs/berg-chart.svg" && cmp old chart.svg || fail "the chart is not docs/berg-chart.svg on both names"
[ "$(ls -A | tr '\n' ' ')" = "chart.svg old stderr stdout " ] || fail "left files: $(ls -A)"
echo "check_table: '$*' passed"
