#!/usr/bin/env bash
# The QML tests once more on an X display with a desktop's platform theme, where buttons and
# switches press themselves on Return (the off-screen platform's theme hides that), and at a
# scale of 2, where an image's natural size is in device pixels.
set -euo pipefail
if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is not installed"
    exit 77
fi
export QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=gnome QT_QUICK_BACKEND=software QT_SCALE_FACTOR=2
exec xvfb-run -a "$@"
