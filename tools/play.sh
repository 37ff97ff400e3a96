#!/usr/bin/env bash
# Sets everything up (packages, build, data) and starts Rookfall the way it
# starts itself: full screen. Arguments go to the game ("/saver", "/safe",
# "-host", "-connect <host>"). With "lumivane" as the first word it starts
# the animated space desktop Lumivane in a window of its own instead.
set -euo pipefail
cd "$(dirname "$0")/.."

program=Rookfall
if [ "${1:-}" = "lumivane" ]; then
  shift
  program=Lumivane
fi

# The programs draw into a window of the desktop; without one they cannot start.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
   [ "${SDL_VIDEODRIVER:-}" != "offscreen" ]; then
  echo "$program needs a graphical desktop, and none is available here (DISPLAY is not set)." >&2
  echo "Start it from a desktop session, or give it a virtual one: xvfb-run -a tools/play.sh" >&2
  exit 1
fi

tools/setup.sh
if [ ! -x "build/bin/$program" ]; then
  echo "play.sh: the build did not produce build/bin/$program" >&2
  exit 1
fi
if [ "$program" = Lumivane ]; then
  exec build/bin/Lumivane --window "$@"
fi
exec build/bin/Rookfall "$@"
