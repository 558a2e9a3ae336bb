#!/usr/bin/env bash
# Installs what is missing, builds Tickora and runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j2
