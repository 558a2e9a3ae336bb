#!/usr/bin/env bash
# Builds the Debian package build/package/tickora_<version>_amd64.deb from the release build and
# prints its path. Only the two programs are built; the package holds nothing else that needs a
# compiler. Install it with: sudo apt install ./build/package/tickora_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# Installing must not build the tests and benchmarks first: the package needs only the programs.
cmake --preset release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build --preset release --target tickora tickora-market
out=build/package
rm -rf "$out"
mkdir -p "$out"
cpack --config build/release/CPackConfig.cmake -B "$PWD/$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; exit 1; }
rm -rf "$out/_CPack_Packages"
debs=("$out"/tickora_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "cpack made no tickora_<version>_amd64.deb:" >&2; cat "$out/cpack.log" >&2; exit 1; }
echo "${debs[0]}"
