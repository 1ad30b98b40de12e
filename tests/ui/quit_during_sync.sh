#!/usr/bin/env bash
# The real app on a virtual display syncs a two-year card that UDisks2 (a stand-in on a private
# system bus) reports inserted; asked to quit in the middle (SIGTERM, as a session ends, the same
# quit as "Quitter"), it must end at once rather than wait seconds for the import, and a later
# start must still sync the card whole.
set -euo pipefail
app="$1"
card_tool="$2"
udisks_template="$3"

source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb dbus-daemon xdpyinfo /usr/bin/python3
if ! /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
    echo "skipped: python3-dbusmock is missing"
    exit 77
fi

"$card_tool" generate "$work/card" --nights 730 --seed 5 >/dev/null
start_display
start_bus DBUS_SESSION_BUS_ADDRESS
start_bus DBUS_SYSTEM_BUS_ADDRESS
/usr/bin/python3 -m dbusmock --template "$udisks_template" >/dev/null 2>&1 &
pids+=($!)
use_private_home
export QT_QPA_PLATFORM=xcb
export_file="$XDG_DATA_HOME/LunexaSync/lunexa-snapshot.json"

# Inserts the card (adds the reader and mounts it), or takes it out and puts it back.
card() {
    DBUS_SESSION_BUS_ADDRESS="$DBUS_SYSTEM_BUS_ADDRESS" /usr/bin/python3 - "$1" "$work/card" <<'PY'
import sys, time, dbus
bus = dbus.SessionBus()
block = "/org/freedesktop/UDisks2/block_devices/sdb1"
for _ in range(100):
    try:
        mock = dbus.Interface(bus.get_object("org.freedesktop.UDisks2", "/org/freedesktop/UDisks2"),
                              "org.freedesktop.DBus.Mock")
        if sys.argv[1] == "insert":
            drive = mock.AddDrive("reader", {"Removable": True, "MediaRemovable": True,
                                             "Ejectable": True, "ConnectionBus": "usb"})
            mock.AddBlock("sdb1", drive, True, "vfat", {"IdLabel": "RESMED"})
        else:
            mock.Unmount(block)
            time.sleep(1)
        mock.Mount(block, sys.argv[2])
        sys.exit(0)
    except dbus.exceptions.DBusException:
        time.sleep(0.1)
sys.exit(1)
PY
}

"$app" 2>"$work/app.log" &
app_pid=$!
pids+=("$app_pid")
sleep 2
card insert
sleep 1
if [ -e "$export_file" ]; then
    echo "skipped: the sync ended before the quit; this machine is too fast for the test"
    exit 77
fi
start=$(date +%s%N)
kill -TERM "$app_pid"
wait "$app_pid" || true
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "quit during the sync took $elapsed ms"
# The import alone takes seconds; waiting for it is the fault, not a slow machine.
if [ "$elapsed" -gt 1500 ]; then
    echo "the app waited for the sync to end before quitting"
    exit 1
fi

# Nothing lost: after the next start, the card put back syncs whole.
"$app" 2>>"$work/app.log" &
app_pid=$!
pids+=("$app_pid")
sleep 2
card reinsert
for _ in $(seq 600); do
    [ -s "$export_file" ] && break
    sleep 0.1
done
if ! /usr/bin/python3 -c 'import json, sys; n = json.load(open(sys.argv[1]))' "$export_file"; then
    echo "no whole export after the restart"
    cat "$work/app.log"
    exit 1
fi
echo "the next start synced the card"
kill -TERM "$app_pid"
wait "$app_pid"
