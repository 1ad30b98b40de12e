#!/usr/bin/env bash
# Builds the release configuration and runs the main job: a demo card of a week of nights is
# generated, then imported by the command-line companion, which prints one line per night and
# writes the snapshot JSON.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target velunora-card
tool=build/release/src/tools/velunora-card
demo=build/demo-card
rm -rf "$demo"
"$tool" generate "$demo" --nights 7
"$tool" import "$demo" --json build/demo-snapshot.json
echo "Instantané JSON : build/demo-snapshot.json"
