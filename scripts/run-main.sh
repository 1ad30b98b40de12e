#!/usr/bin/env bash
# The main job. With a display it starts the tray app, on the embedded local cloud store (no
# account needed); a demo card is generated first so that "Choisir une carte…" has something to
# read when no SD card is at hand. Without a display it runs what a headless machine runs: the
# sync of the demo card through the same controller (import, merge with the previous export, save
# to the local cloud store, local export), keeping its published data under build/demo-data.
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
"$tool" generate "$demo" --nights 7

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Carte de démonstration : $PWD/$demo (menu « Choisir une carte… »)"
    exec build/release/src/ui/velunora-sync
fi
"$tool" import "$demo"
XDG_DATA_HOME="$PWD/build/demo-data" XDG_CACHE_HOME="$PWD/build/demo-data/cache" \
    "$tool" sync "$demo"
