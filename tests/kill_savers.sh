#!/usr/bin/env bash
# Savers killed outright: ROUNDS rounds (the suite runs a few dozen, 1000 by hand) in each of
# which a user's note is added to K-Berg.txt, three copies of the real BINARY save at once
# (answers 90, 1, 2, 3) and each is sent SIGKILL at a random moment, then one more saves and is
# let finish its save. After each round the file must begin with all it held before, byte for
# byte, and go on with whole blocks alone. Tells how many torn blocks the savers cut off.
set -euo pipefail
rounds=$1 binary=$2
folder=$(mktemp -d) && cd "$folder" && trap 'rm -rf "$folder"' EXIT
# Standard error is kept for the verdict: bash tells of each killed job on its own.
exec 3>&2 2>/dev/null
fail() { echo "kill_savers: round $round: $*" >&3 && exit 1; }
printf '90\n1\n2\n3\n' >answers

# Starts a saver in the background, its screen added to `screens`; $! is the program itself.
start_saver() { "$binary" <answers >>screens 2>&1 & }
# Saves, and ends the saver by SIGKILL once it said the block is saved: its pauses take seconds.
clean_save() {
  "$binary" <answers >screen 2>&1 &
  local saver=$! && local tries=0
  until grep -q 'Результаты записаны' screen; do
    ((++tries < 3000)) && kill -0 "$saver" 2>/dev/null || fail "no clean save: $(cat screen)"
    sleep 0.005
  done
  kill -9 "$saver" && { wait "$saver" || true; }
  cat screen >>screens
}

round=first && clean_save && mv K-Berg.txt block && mv screens told_before
for count in 1 2 3 4; do cat block; done >blocks
notes=("a note, no line end" $'\r\n\r\n' $'\r' $' Угол отсечки\t\t=     90.000\r\n' \
  "$(head -c 200 block)" $'LF lines\n\n')
for ((round = 0; round < rounds; ++round)); do
  printf '%s' "${notes[round % ${#notes[@]}]}" >>K-Berg.txt
  cp K-Berg.txt before
  savers=()
  for saver in 1 2 3; do start_saver && savers+=($!); done
  for saver in "${savers[@]}"; do
    { sleep "0.$(printf %03d $((RANDOM % 80)))" && kill -9 "$saver" || true; } &
  done
  wait || true
  clean_save
  size=$(stat -c %s before) && added=$(($(stat -c %s K-Berg.txt) - size))
  cmp -s -n "$size" before K-Berg.txt || fail "what the file held has changed"
  ((added % 580 == 0)) && cmp -s <(tail -c "+$((size + 1))" K-Berg.txt) <(head -c "$added" blocks) ||
    fail "torn block: $added bytes added"
  blocks=$((${blocks:-0} + added / 580)) && told=$(grep -c 'Результаты записаны' screens)
  ((blocks >= told)) || fail "$told saves told, $blocks blocks in the file"
done
echo "kill_savers: $rounds rounds passed: $told saves told, $blocks whole blocks added," \
  "$(grep -c 'удален обрывок' screens || true) torn blocks cut off" >&3
