#!/usr/bin/env bash
# Installs what is missing, builds Tickora, starts the simulated market and runs tickora against
# it. Without a display it runs under Xvfb, saves a screenshot once the window is up, prints the
# screenshot's path and stops. The demo keeps its files in build/demo-kabu unless
# TICKORA_DATA_DIR names another data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
bin=$root/build/release

export TICKORA_DATA_DIR=${TICKORA_DATA_DIR:-$root/build/demo-kabu}
mkdir -p "$TICKORA_DATA_DIR"
# A sample watch list for the demo, only where there is none yet.
[ -e "$TICKORA_DATA_DIR/dat.txt" ] || cp scripts/sample-dat.txt "$TICKORA_DATA_DIR/dat.txt"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# The simulated market picks a free port and says which.
market_log=$(mktemp)
"$bin/market/tickora-market" --port 0 --seed "${TICKORA_SEED:-2026}" >"$market_log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q 'listening on' "$market_log" && break; sleep 0.1; done
url=$(grep -o 'http://127.0.0.1:[0-9]*' "$market_log" | head -n1)
[ -n "$url" ] || { echo "the simulated market did not start:" >&2; cat "$market_log" >&2; exit 1; }
export TICKORA_MARKET_URL=$url
echo "simulated market at $url, data folder $TICKORA_DATA_DIR"

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  export DISPLAY=:${TICKORA_XVFB_DISPLAY:-97}
  Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
  chmod 700 "$XDG_RUNTIME_DIR"
fi

if [ "$headless" = 0 ]; then
  exec "$bin/app/tickora"
fi

# Drive the program as a user would: open the saved watch list, start real-time display, and
# take the screenshot once the first refresh has drawn the quotes and charts.
uimap=$(mktemp)
rm -f "$uimap"
TICKORA_UI_MAP=$uimap "$bin/app/tickora" &
app=$!
pids+=($app)
for _ in $(seq 100); do [ -s "$uimap" ] && break; sleep 0.1; done
[ -s "$uimap" ] || { echo "tickora did not open its window" >&2; exit 1; }
click() {
  read -r _ x y w h < <(grep "^$1 " "$uimap")
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
sleep 0.5
click menu11   # 開く
sleep 1
click menu3    # リアルタイム表示
sleep "${TICKORA_FIRST_REFRESH_SECONDS:-5}"
shot=$root/build/tickora-screenshot.png
import -window root "$shot"
echo "screenshot: $shot"
