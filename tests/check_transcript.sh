#!/usr/bin/env bash
# Runs k-berg, given as a command ("/usr/bin/k-berg", "wine k-berg.exe"), through the dialogue
# 90, 1, save, end in an empty folder: status 0, nothing on standard error, and standard output
# and K-Berg.txt byte for byte as the transcripts kept beside this script.
set -euo pipefail
transcripts=$(cd "$(dirname "$0")/transcripts" && pwd)
command=()
for word in "$@"; do  # the program runs in a folder of its own: paths are made absolute
  [[ $word == */* && -e $word ]] && word=$(realpath "$word")
  command+=("$word")
done
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
printf '90\n1\n2\n3\n' | "${command[@]}" >stdout 2>stderr
[ ! -s stderr ] || { cat stderr >&2 && exit 1; }
cmp stdout "$transcripts/save-90-1.stdout"
cmp K-Berg.txt "$transcripts/save-90-1.K-Berg.txt"
echo "check_transcript: '$*' wrote the expected bytes"
