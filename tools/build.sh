#!/bin/sh
# Installs what the build needs when it is missing (Debian 12), then
# configures and builds into ./build (or $BUILD_DIR). Extra arguments go to
# CMake's configure step, e.g. -DCORVANE_SANITIZE=ON. With --test-server
# first, it also installs the PostgreSQL server programs the store tests
# start a throwaway server with (the tests of a server store skip without).
set -eu
cd "$(dirname "$0")/.."

packages="g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libpq-dev qt6-charts-dev libqt6opengl6-dev"
if [ "${1:-}" = "--test-server" ]; then
    packages="$packages postgresql-15"
    shift
fi
missing=""
for p in $packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi

build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build_dir" --parallel "$(nproc)"
