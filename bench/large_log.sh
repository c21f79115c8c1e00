#!/usr/bin/env bash
# Runs logtrim on a log larger than 4 GiB, where frame positions no longer
# fit in the 32-bit offset fields: the walk must still find every frame, and
# the copy must store each position as its low 32 bits.
#
#   bench/large_log.sh [FOLDER [SIZE]]
#
# Writes a SIZE log (default 4608M, 4.5 GiB) and its copy into a fresh
# folder under FOLDER (default /var/tmp, a disk: about 10 GB must be free),
# prints the summary, checks the copy with check_copy and removes both.
# Needs a release build: cmake --workflow --preset release.
# Not run by CI: it took 36 s on this project's machine (the disk sets the
# pace) and needs the disk space.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$repo/build/release}"
base="${1:-/var/tmp}"
size="${2:-4608M}"
for program in logtrim make_test_log check_copy; do
  if [[ ! -x "$build/$program" ]]; then
    echo "$build/$program not found; build with: cmake --workflow --preset release"
    exit 1
  fi
done

folder="$(mktemp -d "$base/logtrim_large_XXXXXX")"
trap 'rm -rf "$folder"' EXIT
log="$folder/large.sl2"

echo "== writing a $size log in $folder"
time "$build/make_test_log" "$log" "$size"
ls -l "$log"

echo "== summary"
time "$build/logtrim" "$log"

echo "== whole copy"
time "$build/logtrim" -c 0:-1 "$log"

echo "== checking the copy"
time "$build/check_copy" "$log" "$folder/large_0--1.sl2"
# A generated log is consistent, so its whole copy is the log itself.
cmp "$log" "$folder/large_0--1.sl2"
echo "== the copy equals the log byte for byte"
