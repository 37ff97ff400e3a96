#!/usr/bin/env bash
# Sets everything up, then runs every test in the normal build and in the
# AddressSanitizer + UndefinedBehaviorSanitizer build, Rookfall's check and
# Lumivane's handed-window check on a virtual X display, and the sound and
# music tests once more under ThreadSanitizer. Each build's tests keep
# their settings in that build's folder (set by the build's test
# environment). The sanitizer passes build only what their tests run; the
# normal build builds everything.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

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

run_tests() {
  echo "=== tests in $1 ==="
  local dir=$1
  shift
  if ! ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 600 "$@"; then
    status=1
  fi
}

tools/setup.sh
tools/setup.sh --asan --target test_programs

run_tests build
run_tests build-asan

# Rookfall as a player starts it, on a virtual X display: the main menu over
# the board in the game's own screenshot, and the screensaver playing itself.
echo "=== Rookfall on a virtual display ==="
if ! tests/chess/game/check_rookfall.sh build; then
  status=1
fi
# Lumivane drawing into a window another program hands it (as the desktop
# and as a screensaver hack) for a minute each, resized half way, then ended
# by SIGTERM, on a virtual X display (run by hand, it watches two minutes).
echo "=== Lumivane in a handed window on a virtual display ==="
if ! tests/desktop/display/check_handed_window.sh build 60; then
  status=1
fi
# The sound and music tests run a third time under ThreadSanitizer: the music
# thread shares state with the main thread. Only the two programs that hold
# them are built; the data they read is written by the normal build's data
# builder, so the libraries of the data builder stay out of this pass.
tools/setup.sh --tsan --target jentra_tests --target platform_tests --target runtime_data \
  -DJENTRA_DATABUILDER="$root/build/tool-bin/databuilder"
run_tests build-tsan -R '^(Music|Audio|Sound|Mp3|WaveWriter|Adpcm|Riff)'
exit $status
