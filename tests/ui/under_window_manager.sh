#!/usr/bin/env bash
# Runs the UI tests that need a real window manager (openbox) on a virtual display: what the
# manager enforces (size limits, frames) never shows off screen.
set -euo pipefail
ui_tests="$1"
source "$(dirname "$0")/virtual_display.sh"
require_tools Xvfb openbox xdpyinfo xprop
start_display
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The manager owns the screen once it has set its supporting-check property on the root.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
QT_QPA_PLATFORM=xcb VELUNORA_TEST_WINDOW_MANAGER=openbox \
    "$ui_tests" --gtest_filter='*UnderAWindowManager*'
