#!/usr/bin/env bash
# Installs the two packages that build_packages.sh made, runs what they put
# on the system, and removes them again. Needs root; refuses to run where a
# logtrim package is already installed, so that it removes only what it
# installed itself.
#
#   packaging/try_packages.sh [BUILD_DIR]     (default: build/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/packages}

fail() {
  echo "FAIL: $*"
  exit 1
}

for package in logtrim logtrim-dev; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    fail "$package is installed already; remove it first"
  fi
done

dpkg -i "$build"/logtrim_*.deb "$build"/logtrim-dev_*.deb >/dev/null
# A failed check still removes what was installed.
trap 'dpkg -r logtrim-dev logtrim >/dev/null' EXIT
usage=$(/usr/bin/logtrim) || fail "the installed logtrim exited with status $?"
[[ $usage == "Usage: logtrim [-o start:end -d [PDS]] file" ]] ||
  fail "the installed logtrim prints: $usage"
if command -v man >/dev/null; then
  page=$(man -w logtrim) || fail "man finds no page"
  [[ $page == /usr/share/man/man1/logtrim.1.gz ]] || fail "man finds $page"
fi
[[ -f /usr/lib/cmake/logtrim/logtrimConfig.cmake ]] || fail "no package config"

trap - EXIT
dpkg -r logtrim-dev logtrim >/dev/null
left=$(ls /usr/bin/logtrim /usr/share/doc/logtrim /usr/include/logtrim 2>/dev/null || true)
[[ -z $left ]] || fail "removing the packages left: $left"
echo "packages: installed, ran and removed"
