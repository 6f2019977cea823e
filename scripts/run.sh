#!/usr/bin/env bash
# Builds the game, writes the demo data set and runs the game on it.
# Without a display SDL's dummy drivers run it; stop it with Ctrl+C (it
# arrives as a window close, so the game shuts down in order).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
cmake --build build/release -j"$(nproc)" --target vantrel mkdemo
./build/release/tools/mkdemo/mkdemo demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}"
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
fi
VANTREL_HOME="$PWD/demo" exec ./build/release/src/app/main/vantrel
