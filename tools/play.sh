#!/usr/bin/env bash
# Sets everything up (packages, build, data) and starts Rookfall the way it
# starts itself: full screen. Arguments go to the game ("/saver", "/safe",
# "-host", "-connect <host>").
set -euo pipefail
cd "$(dirname "$0")/.."

# The game draws into a window of the desktop; without one it cannot start.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
   [ "${SDL_VIDEODRIVER:-}" != "offscreen" ]; then
  echo "Rookfall needs a graphical desktop, and none is available here (DISPLAY is not set)." >&2
  echo "Start it from a desktop session, or give it a virtual one: xvfb-run -a tools/play.sh" >&2
  exit 1
fi

tools/setup.sh
if [ ! -x build/bin/Rookfall ]; then
  echo "play.sh: the build did not produce build/bin/Rookfall" >&2
  exit 1
fi
exec build/bin/Rookfall "$@"
