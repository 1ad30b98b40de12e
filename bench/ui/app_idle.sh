#!/usr/bin/env bash
# What the app costs while the user reads the first onboarding page (the pulsing arrows), and
# how long "Quitter" takes to end it, on a virtual X display with the renderer the app picks.
# usage: bench/ui/app_idle.sh build/release/src/ui/velunora-sync [seconds]
set -euo pipefail
app="$1"
seconds="${2:-10}"

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
export DBUS_SESSION_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS="$(dbus-daemon --session --print-address --fork --print-pid=3 3>"$work/bus.pid")"
pids+=("$(cat "$work/bus.pid")")
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

# A first start: the onboarding opens on its first page.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
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
