#!/usr/bin/env bash
# README BINDIR: runs each example of README, a ```console block of one command ("$ …", a line
# ending in \ going on in the next) and the output it shows, with the programs of BINDIR, in an
# empty folder: what it writes, its CR LF read as LF, must be the lines shown, and its status 0,
# or 2 where every line is the program's refusal ("k-berg-table: …"), as a terminal shows it.
set -euo pipefail
readme=$(realpath "$1") bindir=$(realpath "$2")
folder=$(mktemp -d) && trap 'rm -rf "$folder"' EXIT && cd "$folder"

awk '/^```console$/ { n++; block = 1; command = 1; printf "" > (n ".expected"); next }
     /^```$/ { block = 0; next }
     block && command { sub(/^\$ /, ""); print > (n ".command"); command = /\\$/; next }
     block { print > (n ".expected") }' "$readme"

examples=0
for command in *.command; do
  [ -e "$command" ] || break
  status=0 && { PATH="$bindir:$PATH" bash "$command" >output 2>&1 || status=$?; }
  refused=$([ "$status" -eq 2 ] && ! grep -qv '^k-berg-table: ' output && echo 1 || true)
  tr -d '\r' <output | diff - "${command%.command}.expected" &&
    { [ "$status" -eq 0 ] || [ -n "$refused" ]; } || {
    echo "check_readme_examples: $(head -n 1 "$command"): status $status, output above" >&2
    exit 1
  }
  examples=$((examples + 1))
done
[ "$examples" -gt 0 ] || { echo "check_readme_examples: no example in $1" >&2 && exit 1; }
echo "check_readme_examples: the $examples examples of $1 print what it shows"
