#!/usr/bin/env bash
# Starts the real app on a virtual X display with no tray at all, then an XEmbed tray (trayer)
# a few seconds later: the tray item must dock into it, as it would into a panel that starts
# after the app at login.
set -euo pipefail
app="$1"

source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb dbus-daemon trayer xwininfo xdpyinfo
start_display
# A session bus without any StatusNotifier watcher: only XEmbed can show the item.
start_bus DBUS_SESSION_BUS_ADDRESS
use_private_home
export QT_QPA_PLATFORM=xcb
"$app" 2>"$work/app.log" &
pids+=($!)
# Once the app is up (with no tray it shows its panel), however slow the build and the machine.
for _ in $(seq 300); do
    xwininfo -root -tree | grep -q '"velunora-sync"' && break
    sleep 0.1
done
sleep 1
trayer --edge top --widthtype request >"$work/trayer.log" 2>&1 &
pids+=($!)

# The item is a window of ours inside trayer's panel window.
docked() {
    xwininfo -root -tree | awk '/"panel": \("panel" "trayer"\)/ { inside = 1; next }
                                inside && /"velunora-sync"/ { found = 1 }
                                inside && /^     0x/ { inside = 0 }
                                END { exit !found }'
}
# The app looks for a tray every 2 s; a sanitised build under load answers late.
for _ in $(seq 300); do
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
