#!/usr/bin/env bash
# Sets up, builds and runs the main job: the stand-in host writes the built-in test signal,
# loads the plug-in's bundle through its entry points and renders the signal through it
# (latency compensated) to out/tanglefix-render.wav. Extra arguments are render options,
# for example --oversample 4 --limiter --set Gain=0.6 (see build/host/tanglefix-host --help).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh --target Tanglefix tanglefix-host
mkdir -p out
build/host/tanglefix-host signal out/test-signal.wav
build/host/tanglefix-host render build/Tanglefix.so out/test-signal.wav out/tanglefix-render.wav "$@"
