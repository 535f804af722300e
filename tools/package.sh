#!/bin/sh
# Builds the program (tools/build.sh) and its Debian package:
# ./build/corvane_VERSION_ARCH.deb (or in $BUILD_DIR). Extra arguments go to
# CMake's configure step, e.g. -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF.
# Install it with: sudo apt-get install ./build/corvane_*.deb
set -eu
cd "$(dirname "$0")/.."

# The package's dependencies are read off the program by dpkg-shlibdeps.
missing=""
for p in dpkg-dev file; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

sh tools/build.sh "$@"
build_dir="${BUILD_DIR:-build}"
rm -f "$build_dir"/corvane_*.deb
(cd "$build_dir" && cpack -G DEB)
ls "$build_dir"/corvane_*.deb
