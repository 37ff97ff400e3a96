#!/usr/bin/env bash
# Checks Lumivane drawing into a window another program hands it, on a
# virtual X display: as the animated desktop ("Lumivane 0x<id>") and as a
# screensaver hack ("Lumivane --window-id 0x<id>"). For each, a plain X
# window is made, the picture is taken every 10 s for two minutes and the
# window resized half way: the picture must keep changing, fill the new
# size, and the program must end within a second of SIGTERM
# (build/tests/handed_window_probe does the looking).
# Usage: tests/desktop/display/check_handed_window.sh [build folder] [seconds]
set -euo pipefail
cd "$(dirname "$0")/../../.."
root=$(pwd)
build=${1:-build}
seconds=${2:-120}

if [ "${HANDED_CHECK_INSIDE:-}" != 1 ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "check_handed_window: xvfb-run is missing (tools/setup.sh installs it)" >&2
    exit 1
  fi
  work=$(mktemp -d /tmp/handed_check.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  export HANDED_CHECK_INSIDE=1 HANDED_CHECK_WORK="$work"
  exec xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$0" "$build" "$seconds"
fi

work=$HANDED_CHECK_WORK
# Real X11 (not the tests' offscreen driver), silent audio, settings and
# named objects of its own.
unset SDL_VIDEODRIVER JENTRA_RUNTIME_DIR XDG_CONFIG_HOME
export HOME="$work/home" JENTRA_SETTINGS_DIR="$work/settings" JENTRA_NAMED_PREFIX="handed_check_$$_"
export SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null LIBGL_ALWAYS_SOFTWARE=1
mkdir -p "$HOME"
status=0
for mode in desktop window-id; do
  echo "=== Lumivane in a handed window ($mode)"
  if ! "$root/$build/tests/handed_window_probe" "$root/$build/bin/Lumivane" "$mode" "$seconds" \
      "$work/$mode"; then
    status=1
  fi
done
exit $status
