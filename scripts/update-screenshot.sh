#!/usr/bin/env bash
# Renews the README's screenshot from a headless run of the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
rm -rf build/screenshot-kabu
env -u DISPLAY TICKORA_DATA_DIR="$PWD/build/screenshot-kabu" ./scripts/run.sh
mkdir -p docs
convert build/tickora-screenshot.png -crop 1920x900+0+0 +repage docs/screenshot.png
echo "docs/screenshot.png renewed"
