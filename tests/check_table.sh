#!/usr/bin/env bash
# k-berg-table where only a process shows it: the command, given with absolute paths
# ("/…/k-berg-table", "wine /…/k-berg-table.exe"), run in an empty folder. With --same-as
# LINUX_BINARY, its output must also be that build's, byte for byte.
set -euo pipefail
docs=$(cd "$(dirname "$0")/../docs" && pwd)
[ "$1" != --same-as ] || { linux=$2 && shift 2; }
folder=$(mktemp -d) && cd "$folder" && trap 'rm -rf "$folder"' EXIT
fail() { echo "check_table: $*" >&2 && exit 1; }
# English is expected whatever the caller's language: in C, LANGUAGE is not read.
export LC_ALL=C

for arguments in --help --phases "--csv --exponent 0.93 --exponent 5.01 --from 4.9 --to 180.1 --step 0.1" \
  "--optimum --exponent 1 --exponent 2" "--angle-for-g1 1,8 --csv" "--harmonics 2 --svg -"; do
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
refused --angle-for-g1 "$@" --angle-for-g1 2.5 --svg chart.svg
refused "--q: 6 is not above 6.245" "$@" --network pi --resistance 2000 --frequency 7 --q 6
# The chart is put in place only after the table was written.
refused "No space left" bash -c '"$@" --svg chart.svg >/dev/full' - "$@"

# The language of the messages comes from the environment alone: no Russian locale need exist.
# Under each setting that asks for Russian, --help is in Russian and fits 80 columns, and a
# refusal (the option library's too) says its numbers as in English; C, C.UTF-8 and none give
# English. Under Wine, Russian from LANG, LC_ALL and the interface's language is Linux's.
in_language() { env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LANG "$@"; }
english=$(in_language "$@" --help) && russian=$(in_language LANG=ru_RU.UTF-8 "$@" --help)
for setting in LANG=C LANG=C.UTF-8 LC_ALL=ru_RU.UTF-8 "LANGUAGE=ru LANG=C.UTF-8"; do
  # shellcheck disable=SC2086 # the settings are words
  [ "$(in_language $setting "$@" --help)" = "$([[ $setting == *ru* ]] && echo "$russian" ||
    echo "$english")" ] || fail "--help under $setting"
done
# (Wine needs its own variables: an empty environment is Linux's alone.)
[ -n "${linux:-}" ] || [ "$(env -i "$@" --help)" = "$english" ] || fail "--help: not English"
grep -q '^Options:' <<<"$english" && grep -q '^Параметры:' <<<"$russian" &&
  [ "$(tr -d '\r' <<<"$russian" | LC_ALL=C.UTF-8 wc -L)" -le 80 ] ||
  fail "--help is not English, or not Russian within 80 columns"
refused "k-berg-table: --from: 4.89 — нужно число от 4.9 до 180.1" in_language LANG=ru_RU.UTF-8 \
  "$@" --from 4,89
refused "k-berg-table: --bogus: нет такого параметра" in_language LC_ALL=ru_RU.UTF-8 "$@" --bogus
if [ -n "${linux:-}" ]; then
  linux_russian() { in_language LANG=ru_RU.UTF-8 "$linux" "$@"; }
  cmp <(linux_russian --help) <(in_language LANG=ru_RU.UTF-8 "$@" --help) &&
    cmp <(linux_russian --from 4,89 2>&1) <(in_language LC_ALL=ru_RU.UTF-8 "$@" --from 4,89 2>&1) ||
    fail "Russian differs from Linux's"
fi
# Windows' interface language, no variable set (cmd unsets the one Wine passes on): Wine takes
# it from its own locale, which must exist to be Russian, so this run compiles one for Wine.
if [ "$1" = wine ] && [ -n "${linux:-}" ]; then
  mkdir locales && localedef -i ru_RU -f UTF-8 locales/ru_RU.UTF-8 && windows=$(winepath -w "$2") &&
    cmp <(linux_russian --help) <(in_language LOCPATH="$PWD/locales" LANG=ru_RU.UTF-8 wine cmd /c \
      "set LANG=& $windows --help") && rm -r locales || fail "the interface's Russian differs"
fi

# A folder named as the chart is refused before anything is written, and stays.
mkdir folder.svg && files="folder.svg stderr stdout " &&
  refused "'folder.svg': it is a folder" "$@" --svg folder.svg && rmdir folder.svg

# A chart that may not be written (on Windows: read-only) is refused and stays; a temporary chart
# a killed run left is passed over and stays.
echo old >kept.svg && chmod 444 kept.svg && echo left >k-berg-table-unfinished-chart-0
status=0 && { "$@" --svg kept.svg >/dev/null 2>stderr || status=$?; }
[ "$status" -eq 2 ] && grep -qF "kept.svg': Permission denied" stderr && grep -qx old kept.svg &&
  "$@" --svg new.svg >/dev/null && grep -q '</svg>' new.svg && grep -qx left k-berg-table-* &&
  rm -f kept.svg new.svg k-berg-table-* || fail "read-only or left files: $(cat stderr; ls -A)"

# The chart of docs/, drawn as the README says, into a file or onto standard output, over a
# file with a second hard link, old: written through it, so that both names show the new chart.
echo "<svg xmlns='http://www.w3.org/2000/svg'/>" >old && ln old chart.svg
"$@" --step 1 --svg chart.svg >stdout && xmllint --noout chart.svg &&
  cmp chart.svg "$docs/berg-chart.svg" && cmp old chart.svg ||
  fail "the chart is not docs/berg-chart.svg on both names"
"$@" --step 1 --svg - | cmp - chart.svg || fail "--svg - is not the chart"
"$@" --step 1 --svg both.svg >both.svg && head -n 1 both.svg | grep -q '^ Коэффициенты Берга' &&
  tail -c 8 both.svg | grep -q '</svg>' && rm both.svg || fail "the chart did not follow the table"
"$@" --step 1 --show gamma --harmonics 1-3 --optimum --svg - | cmp - "$docs/gamma-chart.svg" ||
  fail "the chart of maxima is not docs/gamma-chart.svg"
"$@" --stage --supply 12.5 --power 8 --saturation 1 --exponent '1;1.5;2' --from 60 --to 180 \
  --step 0.5 --svg - | cmp - "$docs/stage-chart.svg" || fail "the stage's chart is not docs/stage-chart.svg"
"$@" --stage --supply 2000 --power 500 --xi 0.9 --exponent 1.5 --network pi-l --frequency 7.1 --q 12 \
  --coil-q 200 --output-capacitance 10 --from 90 --to 90 --svg - | cmp - "$docs/network-sheet.svg" ||
  fail "the network's picture is not docs/network-sheet.svg"
# A user who may write another's chart through its group keeps it in that group.
if [ "$(id -u)" = 0 ] && [ -z "${linux:-}" ]; then
  chmod 777 . && echo "<?xml version='1.0'?><svg/>" >group.svg && chown 0:100 group.svg && chmod 664 group.svg
  setpriv --reuid=65534 --regid=65534 --groups=100 "$@" --svg group.svg >/dev/null &&
    [ "$(stat -c %u:%g group.svg)" = 65534:100 ] && rm group.svg || fail "the chart's group changed"
fi
[ "$(ls -A | tr '\n' ' ')" = "chart.svg old stderr stdout " ] || fail "left files: $(ls -A)"
echo "check_table: '$*' passed"
