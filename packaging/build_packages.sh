#!/usr/bin/env bash
# Builds the two Debian packages as a packager does and checks them: a fresh
# release build with Debian's hardening flags and warnings as errors, cpack,
# then lintian, which fails the run on any error or warning.
#
#   packaging/build_packages.sh [BUILD_DIR [CMAKE_ARGS...]]
#
# BUILD_DIR defaults to build/packages; CMAKE_ARGS go to the configure step
# (-DLOGTRIM_PAGE=... puts the page into the tool's package).
#
# Needs dpkg-dev (dpkg-buildflags, dpkg-shlibdeps) and lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/packages}
shift $(($# > 0 ? 1 : 0))

# Fortification, which makes an ignored read result a warning, comes in
# CPPFLAGS; CMake reads only CXXFLAGS, so both go there.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
rm -rf "$build"
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLOGTRIM_WERROR=ON -DBUILD_TESTING=OFF "$@"
cmake --build "$build" -j2
(cd "$build" && cpack -G DEB)

# Informational tags are shown too, so that the log says everything that
# lintian noticed. (--show-overrides would make it exit with 2 whatever it
# found.)
lintian --fail-on error,warning --info "$build"/logtrim_*.deb "$build"/logtrim-dev_*.deb
echo "packages: $(cd "$build" && ls logtrim*.deb | tr '\n' ' ')lintian-clean"
