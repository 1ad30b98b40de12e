#!/usr/bin/env bash
# Runs the UI tests that need a real window manager (openbox) on a virtual display: what the
# manager enforces (size limits, frames) never shows off screen.
set -euo pipefail
ui_tests="$1"
for tool in Xvfb openbox xdpyinfo; do
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
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY="$display"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The manager owns the screen once it has set its supporting-check property on the root.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
QT_QPA_PLATFORM=xcb VELUNORA_TEST_WINDOW_MANAGER=openbox \
    "$ui_tests" --gtest_filter='*UnderAWindowManager*'
