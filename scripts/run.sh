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
"$bin/market/tickora-market" --port 0 --seed "${TICKORA_SEED:-2026}" --start "${TICKORA_MARKET_START:-13:30}" >"$market_log" 2>&1 &
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
# take the screenshot once the first refresh has drawn the quotes and charts. The menu items are
# found through the accessibility tree, as a screen reader finds them, on a D-Bus session of the
# script's own with the accessibility bus on it.
unset AT_SPI_BUS_ADDRESS
bus=$(mktemp)
dbus-daemon --session --nofork --print-address=1 >"$bus" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$bus" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$bus")
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true && break
  sleep 0.1
done
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$bin/app/tickora" &
app=$!
pids+=("$app")
# click CAPTION: clicks the middle of the menu item that a screen reader calls CAPTION.
click() {
  local at
  at=$(/usr/bin/python3 - "$1" "$app" <<'EOF'
import sys, time
import pyatspi

caption, pid = sys.argv[1], int(sys.argv[2])
pyatspi.setTimeout(30000, 30000)
deadline = time.monotonic() + 15
while time.monotonic() < deadline:
    for program in pyatspi.Registry.getDesktop(0):
        try:
            if program is None or program.get_process_id() != pid:
                continue
            item = pyatspi.findDescendant(
                program, lambda a: a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == caption)
            if item:
                e = item.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print(e.x + e.width // 2, e.y + e.height // 2)
                sys.exit(0)
        except Exception:
            pass  # not in the tree yet, or a program that has ended
    time.sleep(0.2)
sys.exit('tickora did not show its menu item "%s"' % caption)
EOF
  ) || exit 1
  # shellcheck disable=SC2086 # "x y": two arguments
  xdotool mousemove $at click 1
}
sleep 0.5
click 開く
sleep 1
click リアルタイム表示
sleep "${TICKORA_FIRST_REFRESH_SECONDS:-5}"
shot=$root/build/tickora-screenshot.png
import -window root "$shot"
echo "screenshot: $shot"
