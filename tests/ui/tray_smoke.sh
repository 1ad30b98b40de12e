#!/usr/bin/env bash
# Starts the real app on a virtual X display with a StatusNotifier watcher of our own (python3-
# dbusmock on a private session bus) and checks that the tray item registers with it, and that a
# second start hands over to the first instead of running twice.
set -euo pipefail
app="$1"

source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb dbus-daemon xdpyinfo /usr/bin/python3
start_display
start_bus DBUS_SESSION_BUS_ADDRESS

watcher=(org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher)
/usr/bin/python3 -m dbusmock "${watcher[@]}" -l "$work/watcher.log" >/dev/null 2>&1 &
pids+=($!)
mock() {
    /usr/bin/python3 - "$@" <<'PY'
import sys, time, dbus
bus = dbus.SessionBus()
for _ in range(100):
    try:
        proxy = bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
        mock = dbus.Interface(proxy, "org.freedesktop.DBus.Mock")
        mock.AddProperty("org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered", True)
        mock.AddProperty("org.kde.StatusNotifierWatcher", "ProtocolVersion", dbus.Int32(0))
        mock.AddMethod("org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem", "s", "", "")
        sys.exit(0)
    except dbus.exceptions.DBusException:
        time.sleep(0.1)
sys.exit(1)
PY
}
mock
use_private_home
export QT_QPA_PLATFORM=xcb
"$app" --print-startup-time 2>"$work/app.log" &
app_pid=$!
pids+=("$app_pid")

# A functional bound: the item registers within a second or two, far later only on a machine
# loaded by a parallel test run.
for _ in $(seq 600); do
    grep -q RegisterStatusNotifierItem "$work/watcher.log" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q RegisterStatusNotifierItem "$work/watcher.log"; then
    echo "the tray item never registered"; cat "$work/app.log"; exit 1
fi
grep "visible" "$work/app.log" || true

# A second start must leave at once, leaving the first one running.
if ! timeout 10 "$app" 2>>"$work/app.log"; then
    echo "the second start did not hand over"; cat "$work/app.log"; exit 1
fi
kill -0 "$app_pid"
echo "tray item registered; a second start handed over"
