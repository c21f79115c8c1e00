#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, checks what the tool's part
# of it holds, then configures, builds and runs the consumer project against
# the installed library.
#
#   check_install.sh CMAKE BUILD_DIR CONSUMER_DIR WORK_DIR BINDIR MANDIR
#                    DATAROOTDIR MANUAL [CONSUMER_CONFIGURE_ARGS...]
set -euo pipefail
cmake=$1 build=$2 consumer=$3 work=$4 bindir=$5 mandir=$6 datarootdir=$7 manual=$8
shift 8

fail() {
  echo "FAIL: $*"
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

# The tool's component is the binary, its compressed page and what its
# package carries beside them, nothing of the library.
"$cmake" --install "$build" --prefix "$work/tool" --component tool >/dev/null
files=$(cd "$work/tool" && find . -type f | sort)
expected=$(printf '%s\n' "./$bindir/logtrim" "./$mandir/man1/logtrim.1.gz" \
  "./$datarootdir/doc/logtrim/changelog.Debian.gz" "./$datarootdir/doc/logtrim/copyright" \
  "./$datarootdir/lintian/overrides/logtrim" | sort)
[[ $files == "$expected" ]] || fail "the tool component holds"$'\n'"$files"
grep -qF "Copyright (c) 2026 The logtrim developers" "$work/tool/$datarootdir/doc/logtrim/copyright" ||
  fail "the copyright file does not carry the licence"

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
usage=$("$prefix/$bindir/logtrim")
[[ $usage == "Usage: logtrim [-o start:end -d [PDS]] file" ]] ||
  fail "the installed logtrim prints: $usage"
gzip -dc "$prefix/$mandir/man1/logtrim.1.gz" | cmp "$manual" - || fail "the installed page differs"
# The package's own files are left out of a plain install.
[[ ! -e $prefix/$datarootdir/doc && ! -e $prefix/$datarootdir/lintian ]] ||
  fail "a plain install holds the package's doc files"

"$cmake" -S "$consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" "$@" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configure failed"; }
"$cmake" --build "$work/consumer" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "build failed"; }
grep -qF "$prefix/" "$work/consumer/CMakeCache.txt" ||
  fail "the consumer did not find logtrim in $prefix"

actual=$("$work/consumer/consumer" "$work/cut.sl2") || fail "the consumer exited with status $?"
expected="decoded: channel 2, frame 41
=== DSI (DownScan Imaging): 42 sounds
Depth: from  10.0 m to  10.0 m; 0 depth count = 0
Speed: from   3.5 to   3.5
copied: frame 1 at offset 8"
[[ $actual == "$expected" ]] || fail "the consumer prints"$'\n'"$actual"
echo "installed tree: tool component, page and consumer as expected"
