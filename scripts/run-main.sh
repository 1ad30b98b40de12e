#!/usr/bin/env bash
# Builds the release configuration and runs the main job. For now that is the command-line
# companion: its help, then a detection of the real card when it lies beside the project.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target velunora-card
build/release/src/tools/velunora-card help
if [ -d ../shared/cards/airsense10 ]; then
    build/release/src/tools/velunora-card detect ../shared/cards/airsense10 || true
fi
