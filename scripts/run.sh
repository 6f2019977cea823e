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
echo "run.sh: vantrel is running on the demo data in $PWD/demo"
if [ -n "${SDL_VIDEODRIVER:-}" ] && [ "$SDL_VIDEODRIVER" = dummy ]; then
  echo "run.sh: no display here, so it runs without a window (SDL's dummy drivers)"
else
  echo "run.sh: it covers the screen; VANTREL_WINDOWED=1 gives a normal window instead"
fi
echo "run.sh: stop it by closing its window or with Ctrl+C (it then shuts down in order)"
echo "run.sh: its log is $PWD/demo/BugLog.ini; VANTREL_DEBUG=1 adds the debugger output here"
status=0
VANTREL_HOME="$PWD/demo" ./build/release/src/app/main/vantrel || status=$?
echo "run.sh: vantrel ended with exit code $status; log: $PWD/demo/BugLog.ini"
exit "$status"
