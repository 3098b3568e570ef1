#!/usr/bin/env bash
# Runs k-berg, given as a command (such as "/usr/bin/k-berg" or "wine k-berg.exe"), through
# the dialogue 90, 1, save, end in an empty folder, and compares standard output and
# K-Berg.txt byte for byte with the transcripts kept beside this script; the exit status
# must be 0 and standard error empty.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND..." >&2; exit 2; }
transcripts=$(cd "$(dirname "$0")/transcripts" && pwd)
# The program runs in a folder of its own: files named by a relative path are made absolute.
command=()
for word in "$@"; do
  [[ $word == */* && -e $word ]] && word=$(realpath "$word")
  command+=("$word")
done
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"

fail() {
  echo "check_transcript: $*" >&2
  exit 1
}

status=0
printf '90\n1\n2\n3\n' | "${command[@]}" >stdout 2>stderr || status=$?
[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
[ ! -s stderr ] || fail "standard error is not empty: $(cat stderr)"
cmp stdout "$transcripts/save-90-1.stdout" || fail "standard output differs"
cmp K-Berg.txt "$transcripts/save-90-1.K-Berg.txt" || fail "K-Berg.txt differs"
echo "check_transcript: '$*' wrote the expected bytes"
