#!/usr/bin/env bash
# Sets everything up, then runs every test in the normal build and in the
# AddressSanitizer + UndefinedBehaviorSanitizer build, Rookfall's check and
# Lumivane's handed-window check on a virtual X display, and the sound and
# music tests once more under ThreadSanitizer. Each build's tests keep
# their settings in that build's folder (set by the build's test environment).
set -euo pipefail
cd "$(dirname "$0")/.."

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null LIBGL_ALWAYS_SOFTWARE=1
# Network discovery never leaves this machine during tests.
export JENTRA_DISCOVERY_HOSTS=127.0.0.1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
# The layers name only what lies below them: checked from the include lines,
# before anything is built.
echo "=== include check ==="
if ! tools/check-includes.sh; then
  status=1
fi

tools/setup.sh
tools/setup.sh --asan

for dir in build build-asan; do
  echo "=== tests in $dir ==="
  if ! ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600; then
    status=1
  fi
done
# Rookfall as a player starts it, on a virtual X display: the main menu over
# the board in the game's own screenshot, and the screensaver playing itself.
echo "=== Rookfall on a virtual display ==="
if ! tests/chess/game/check_rookfall.sh build; then
  status=1
fi
# Lumivane drawing into a window another program hands it (as the desktop
# and as a screensaver hack) for two minutes each, resized half way, then
# ended by SIGTERM, on a virtual X display.
echo "=== Lumivane in a handed window on a virtual display ==="
if ! tests/desktop/display/check_handed_window.sh build; then
  status=1
fi
# The sound and music tests run a third time under ThreadSanitizer: the music
# thread shares state with the main thread.
echo "=== sound and music tests under ThreadSanitizer ==="
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJENTRA_TSAN=ON
# Only the programs that hold those tests, and the data they read, are built
# for this pass.
cmake --build build-tsan -j "$(nproc)" --target jentra_tests platform_tests runtime_data
if ! ctest --test-dir build-tsan --output-on-failure -j "$(nproc)" --timeout 600 \
    -R '^(Music|Audio|Sound|Mp3|WaveWriter|Adpcm|Riff)'; then
  status=1
fi
exit $status
