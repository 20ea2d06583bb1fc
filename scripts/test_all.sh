#!/usr/bin/env bash
# Builds everything and runs every test: the native suite through ctest,
# the i686 ZBDB900.dll with its export check, and the x86_64 Windows test
# executable under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install_deps.sh

echo "== native build and tests"
cmake -S . -B build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-ci -j2
(cd build-ci && ctest --output-on-failure -j2 --timeout 600)

echo "== Windows builds and tests"
# Under Xvfb, so that the tests of the windows open and photograph them.
ZBDB_WINE_XVFB=1 scripts/windows_build_and_test.sh

echo "all native and Windows tests passed"
