#!/usr/bin/env bash
# The tray host comes after the app (a panel that starts later at login, the AppIndicator
# extension switched on afterwards): the item registers once it is there, and again after the
# panel restarts. A StatusNotifier watcher of our own (python3-dbus) on a private bus.
set -euo pipefail
app="$1"

source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb dbus-daemon xdpyinfo /usr/bin/python3
start_display
start_bus DBUS_SESSION_BUS_ADDRESS

start_watcher() { # log file
    /usr/bin/python3 "$(dirname "$0")/sni_watcher.py" "$1" 2>>"$work/watcher.err" &
    watcher_pid=$!
    pids+=("$watcher_pid")
}
registered() { # log file
    # A functional bound: a second or two, far later only on a loaded machine.
    for _ in $(seq 600); do
        grep -q RegisterStatusNotifierItem "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

use_private_home
export QT_QPA_PLATFORM=xcb
"$app" 2>"$work/app.log" &
app_pid=$!
pids+=("$app_pid")
# The app is up with no tray at all (its panel as a window) before the host comes.
sleep 3
kill -0 "$app_pid"

start_watcher "$work/watcher1.log"
if ! registered "$work/watcher1.log"; then
    echo "the item did not register with a host that came after the app"; cat "$work/app.log" "$work/watcher.err"
    exit 1
fi

# The panel restarts: its watcher goes away and comes back.
kill "$watcher_pid"; wait "$watcher_pid" 2>/dev/null || true
sleep 1
start_watcher "$work/watcher2.log"
if ! registered "$work/watcher2.log"; then
    echo "the item did not register again after the host came back"; cat "$work/app.log"
    exit 1
fi
kill -0 "$app_pid"
echo "the item registered with a late host, and again after it came back"
