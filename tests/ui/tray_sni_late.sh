#!/usr/bin/env bash
# The tray host comes after the app (a panel that starts later at login, the AppIndicator
# extension switched on afterwards): the item registers once it is there, and again after the
# panel restarts. A StatusNotifier watcher of our own (python3-dbus) on a private bus.
set -euo pipefail
app="$1"

source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb dbus-daemon xdpyinfo xwininfo /usr/bin/python3
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

panel_state() { # prints the panel window's map state: IsViewable, IsUnMapped
    local id
    id="$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Velunora Sync": ("velunora-sync".*/\1/p' | head -1)"
    [ -n "$id" ] && xwininfo -id "$id" | sed -n 's/.*Map State: //p'
}
panel_becomes() { # IsViewable, or hidden (unmapped or gone)
    for _ in $(seq 300); do
        local state
        state="$(panel_state)"
        if [ "$1" = hidden ]; then [ "$state" != IsViewable ] && return 0; else [ "$state" = "$1" ] && return 0; fi
        sleep 0.1
    done
    return 1
}

# The panel quits: once its host stays away, the app's window is on screen, so the app stays
# within reach.
kill "$watcher_pid"; wait "$watcher_pid" 2>/dev/null || true
if ! panel_becomes IsViewable; then
    echo "no window once the host went away: $(panel_state)"; cat "$work/app.log"
    exit 1
fi

# And comes back: the item registers again, and the window goes back to being its popup.
start_watcher "$work/watcher2.log"
if ! registered "$work/watcher2.log"; then
    echo "the item did not register again after the host came back"; cat "$work/app.log"
    exit 1
fi
if ! panel_becomes hidden; then
    echo "the window stayed once the host was back: $(panel_state)"; cat "$work/app.log"
    exit 1
fi
kill -0 "$app_pid"
echo "the item registered with a late host; the window stood in while it was away"
