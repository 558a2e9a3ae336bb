#!/usr/bin/env bash
# Installs what is missing, builds Tickora and runs the whole test suite through CTest:
#   0. the code style: every C++ file as .clang-format lays it out;
#   1. every test on a debug build (unit, window, market and end-to-end);
#   2. the unit and window tests again under the address and undefined-behaviour sanitizers;
#   3. the libFuzzer targets, a bounded time each, and their kept findings;
#   4. the Debian package: built from the release build and checked (scripts/check-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export CTEST_OUTPUT_ON_FAILURE=1

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j2

cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j2 --label-exclude e2e

cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz -j2

./scripts/package.sh
./scripts/check-package.sh
