#!/usr/bin/env bash
# The main job. With a display it starts the tray app, on the embedded local cloud store (no
# account needed); a demo card is generated first so that "Choisir une carte…" has something to
# read when no SD card is at hand. Without a display it runs what a headless machine runs: the
# sync of the demo card through the same controller (import, merge with the previous export, save
# to the local cloud store, local export), keeping its published data under build/demo-data, then
# the report of the last 30 days for the clinic (build/demo-data/report.pdf and .csv).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
targets=(velunora-card)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    targets+=(velunora-sync)
fi
cmake --build --preset release -j "$(nproc)" --target "${targets[@]}"
tool=build/release/src/tools/velunora-card
demo=build/demo-card
rm -rf "$demo"
"$tool" generate "$demo" --nights 40 --varied

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
    fr*) echo "Carte de démonstration : $PWD/$demo (« Choisir une carte… » dans le panneau)" ;;
    *) echo "Demo card: $PWD/$demo (“Choose a card…” in the panel)" ;;
    esac
    exec build/release/src/ui/velunora-sync
fi
"$tool" import "$demo"
XDG_DATA_HOME="$PWD/build/demo-data" XDG_CACHE_HOME="$PWD/build/demo-data/cache" \
    "$tool" sync "$demo"
# What the patient would take to the clinic: the last 30 days of what was just published.
XDG_DATA_HOME="$PWD/build/demo-data" "$tool" report --pdf build/demo-data/report.pdf \
    --csv build/demo-data/report.csv
