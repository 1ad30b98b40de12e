#!/usr/bin/env bash
# What the app costs while the user reads the first onboarding page (the pulsing arrows), and
# how long "Quitter" takes to end it, on a virtual X display with the renderer the app picks.
# usage: bench/ui/app_idle.sh build/release/src/ui/velunora-sync [seconds]
set -euo pipefail
app="$1"
seconds="${2:-10}"

source "$(dirname "$0")/../../tests/ui/virtual_display.sh"
require_tools Xvfb dbus-daemon xdpyinfo
start_display
start_bus DBUS_SESSION_BUS_ADDRESS
# A first start: the onboarding opens on its first page.
use_private_home
export QT_QPA_PLATFORM=xcb
"$app" 2>"$work/app.log" &
app_pid=$!
pids+=("$app_pid")
sleep 4

ticks() { awk '{ print $14 + $15 }' "/proc/$app_pid/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
echo "onboarding page 1: $(( (after - before) * 1000 / (seconds * $(getconf CLK_TCK)) / 10 )) % of a core over $seconds s"

start=$(date +%s%N)
kill -TERM "$app_pid"
wait "$app_pid" || true
echo "quit: $(( ($(date +%s%N) - start) / 1000000 )) ms to the end of the process"
