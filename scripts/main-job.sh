#!/usr/bin/env bash
# Sets up, builds and runs the main job: the plug-in renders its built-in test signal
# and writes out/tanglefix-render.wav.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh --target tanglefix_render
mkdir -p out
build/bench/tanglefix_render --out out/tanglefix-render.wav "$@"
