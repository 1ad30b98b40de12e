#!/usr/bin/env bash
# The main job. The tray app is not built yet, so this runs what a machine without a display
# runs: the headless sync of a generated demo card, through the same controller the app uses
# (import, merge with the previous export, save to the embedded local cloud store, local export).
# The demo keeps its published data under build/demo-data, away from the user's own.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target velunora-card
tool=build/release/src/tools/velunora-card
demo=build/demo-card
rm -rf "$demo"
"$tool" generate "$demo" --nights 7
"$tool" import "$demo"
XDG_DATA_HOME="$PWD/build/demo-data" "$tool" sync "$demo"
