#!/usr/bin/env bash
# Checks the manual page: groff and man format it without a single warning,
# and every example in it, run on a log made as the page describes it,
# prints what the page shows.
#
#   check_manual.sh MANUAL LOGTRIM MAKE_TEST_LOG WORK_DIR VERSION
set -euo pipefail
manual=$1 logtrim=$2 make_test_log=$3 work=$4 version=$5

fail() {
  echo "FAIL: $*"
  exit 1
}

warnings=$(groff -man -ww -z "$manual" 2>&1) || fail "groff exited with status $?"
[[ -z $warnings ]] || fail "groff warns:"$'\n'"$warnings"
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 MANPAGER=cat man --warnings -l "$manual" 2>&1 >/dev/null) ||
    fail "man exited with status $?"
  [[ -z $warnings ]] || fail "man warns:"$'\n'"$warnings"
fi

grep -q "^\.TH LOGTRIM 1 .* \"logtrim $version\" " "$manual" ||
  fail "the page's title line does not name logtrim $version"

rm -rf "$work"
mkdir -p "$work"
cd "$work"
# "a 4 MB log ... with the channels 0, 1, 2 and 5": the generator's default log.
"$make_test_log" trip.sl2 4M >/dev/null

# Each "$ logtrim ARGS" line of the page starts an example; the lines up to
# the next command or an empty line are what it prints, and a first line
# "..." stands for the lines left out before the rest.
examples=0
command=""
shown=()
run_example() {
  [[ -n $command ]] || return 0
  local args actual expected
  read -ra args <<<"$command"
  actual=$("$logtrim" "${args[@]}") || fail "logtrim $command exited with status $?"
  if [[ ${#shown[@]} -gt 0 && ${shown[0]} == "..." ]]; then
    actual=$(tail -n $((${#shown[@]} - 1)) <<<"$actual")
    expected=$(printf '%s\n' "${shown[@]:1}")
  else
    expected=$(printf '%s\n' "${shown[@]}")
  fi
  [[ $actual == "$expected" ]] ||
    fail "logtrim $command prints"$'\n'"$actual"$'\n'"but the page shows"$'\n'"$expected"
  examples=$((examples + 1))
  command=""
  shown=()
}
page=$(groff -man -Tascii -P-cbou "$manual" | sed 's/^ *//')
while IFS= read -r line; do
  if [[ $line == '$ logtrim '* ]]; then
    run_example
    command=${line#'$ logtrim '}
  elif [[ -n $command && -n $line ]]; then
    shown+=("$line")
  else
    run_example
  fi
done <<<"$page"
run_example
((examples > 0)) || fail "the page shows no example"

# The sizes the page gives for the side-scan example.
sizes="log of $(stat -c %s trip.sl2) bytes a copy of $(stat -c %s trip_0--1.sl2) bytes"
flat_page="$(tr -s ' \n' '  ' <<<"$page")"
grep -qF "$sizes" <<<"$flat_page" || fail "the page does not say: $sizes"
echo "manual page: no warnings, $examples examples print what the page shows"
