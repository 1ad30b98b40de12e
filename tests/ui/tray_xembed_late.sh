#!/usr/bin/env bash
# Starts the real app on a virtual X display with no tray at all, then an XEmbed tray (trayer)
# a few seconds later: the tray item must dock into it, as it would into a panel that starts
# after the app at login.
set -euo pipefail
app="$1"

for tool in Xvfb dbus-daemon trayer xwininfo xdpyinfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is missing"
        exit 77
    fi
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

display=":$((100 + RANDOM % 800))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
# A session bus without any StatusNotifier watcher: only XEmbed can show the item.
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --session --print-address --fork --print-pid=3 3>"$work/bus.pid")"
pids+=("$(cat "$work/bus.pid")")
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
"$app" 2>"$work/app.log" &
pids+=($!)
sleep 3
trayer --edge top --widthtype request >"$work/trayer.log" 2>&1 &
pids+=($!)

# The item is a window of ours inside trayer's panel window.
docked() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { inside = 1; next }
                                inside && /"velunora-sync"/ { found = 1 }
                                inside && /^     0x/ { inside = 0 }
                                END { exit !found }'
}
for _ in $(seq 100); do
    docked && break
    sleep 0.1
done
if ! docked; then
    echo "the tray item never docked into a tray started after the app"
    xwininfo -root -tree | grep -iE 'trayer|velunora' || true
    cat "$work/app.log"
    exit 1
fi
echo "the tray item docked into a tray started after the app"
