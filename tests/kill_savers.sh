#!/usr/bin/env bash
# ROUNDS rounds (1000 by hand) of: a user's note added to K-Berg.txt, three savers of the real
# BINARY (answers 90, 1, 2, 3) killed at random moments, one killed with its block torn, one
# more that saves whole and must cut the torn part off. The file must keep all it held, byte
# for byte, then whole blocks alone, at least one for each save told. TEAR is the module built
# from tear_saves.cpp, by default libtear-saves.so in the tests folder beside BINARY.
set -euo pipefail
rounds=$1 binary=$(realpath "$2")
tear=$(realpath "${3:-$(dirname "$binary")/tests/libtear-saves.so}")
folder=$(mktemp -d) && cd "$folder" && trap 'rm -rf "$folder"' EXIT
exec 3>&2 2>/dev/null # bash tells of each killed job on standard error: the verdict goes to 3
fail() { echo "kill_savers: round $round: $*" >&3 && exit 1; }
printf '90\n1\n2\n3\n' >answers

# Saves, and kills the saver once it said so (its pauses take seconds); the last one's words go.
clean_save() {
  : >screen
  "$binary" <answers >>screen & local saver=$! tries=0
  until grep -q 'Результаты записаны' screen; do
    ((++tries < 3000)) && kill -0 "$saver" || fail "no clean save: $(cat screen)"
    sleep 0.005
  done
  kill -9 "$saver" && { wait "$saver" || true; } && cat screen >>screens
}

# Random kills almost never land inside a write, so this saver's block stops where a killed
# write stops, at a multiple of 512 bytes of the file: the first past its end, under a file-size
# limit there (the file holds a block, so that the journal fits below it). TEAR kills the saver
# where it would cut that part back. Its screen goes to /dev/null, which has no size limit.
torn_save() {
  local limit=$((($(stat -c %s K-Berg.txt) / 512 + 1) * 512))
  LD_PRELOAD=$tear ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    prlimit --fsize="$limit" "$binary" <answers >/dev/null && fail "the torn save was not killed"
  true
}

round=first && clean_save && cp K-Berg.txt block && rm screens && cat block{,,,} >blocks
notes=(note $'\r\n\r\n' $'\r' $' Угол отсечки\t\t=     90.000\r\n' "$(head -c 200 block)" $'LF\n\n')
for ((round = 0, blocks = 0; round < rounds; ++round)); do
  printf '%s' "${notes[round % ${#notes[@]}]}" >>K-Berg.txt && cp K-Berg.txt before
  for saver in 1 2 3; do
    "$binary" <answers >>screens & { sleep "0.0$((RANDOM % 80 + 10))" && kill -9 $! || true; } &
  done
  wait || true
  torn_save
  clean_save
  grep -q 'удален обрывок' screen || fail "the torn block was not cut off: $(cat screen)"
  size=$(stat -c %s before) && added=$(($(stat -c %s K-Berg.txt) - size))
  cmp -s -n "$size" before K-Berg.txt || fail "what the file held has changed"
  ((added % 580 == 0)) && cmp -s <(tail -c "+$((size + 1))" K-Berg.txt) <(head -c "$added" blocks) ||
    fail "torn block: $added bytes added"
  blocks=$((blocks + added / 580)) && told=$(grep -c 'Результаты записаны' screens)
  ((blocks >= told)) || fail "$told saves told, $blocks blocks in the file"
done
echo "kill_savers: $rounds rounds passed: $told saves told, $blocks whole blocks," \
  "$(grep -c 'удален обрывок' screens || true) torn blocks cut off" >&3
