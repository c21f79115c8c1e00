#!/usr/bin/env bash
# A symbolic link and a hard link to the log, named as the copy: logtrim.exe
# under wine refuses both with the line and status that Linux gives, and
# leaves the log as it was. The links are made here, outside wine, which
# cannot make symbolic links itself.
#
#   links_under_wine.sh TOOL GENERATOR WORK_DIR EMULATOR...
set -u
tool=$1 generator=$2 work=$3
shift 3
emulator=("$@")
fail() { echo "FAILED: $*"; exit 1; }

rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
"${emulator[@]}" "$generator" trip.sl2 64K >/dev/null || fail "no log generated"
cp trip.sl2 original.sl2
"${emulator[@]}" "$tool" trip.sl2 >expected || fail "summary run"
printf "Can't create file trip_1-2.sl2\n" >>expected

for kind in symbolic hard; do
  rm -f trip_1-2.sl2
  if [ "$kind" = symbolic ]; then ln -s trip.sl2 trip_1-2.sl2; else ln trip.sl2 trip_1-2.sl2; fi
  "${emulator[@]}" "$tool" -c 1:2 trip.sl2 >out
  status=$?
  cmp expected out || fail "$kind link: output differs"
  [ "$status" = 1 ] || fail "$kind link: exit status $status"
  cmp trip.sl2 original.sl2 || fail "$kind link: the log was changed"
done
echo "both links refused, the log untouched"
