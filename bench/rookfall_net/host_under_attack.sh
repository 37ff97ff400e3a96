#!/usr/bin/env bash
# Starts "Rookfall -host" in a window of its own X server (xvfb-run, software
# rendering) with a home of its own, lets it settle at the waiting screen,
# then runs rookfall_netpeer against it on loopback with the given options
# (e.g. --burst 1000, or --flood 60) and prints the peer's report.
# Usage: host_under_attack.sh BUILD_DIR [rookfall_netpeer options]
set -euo pipefail
build=$(cd "${1:?usage: host_under_attack.sh BUILD_DIR [options]}" && pwd)
shift
if [ -z "${HOST_UNDER_ATTACK_INNER:-}" ]; then
  export HOST_UNDER_ATTACK_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$@"
fi
home=$(mktemp -d)
trap 'kill "$game" 2>/dev/null || true; wait "$game" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME=$home JENTRA_SETTINGS_DIR=$home JENTRA_WINDOWED=1 SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null \
  LIBGL_ALWAYS_SOFTWARE=1 JENTRA_DISCOVERY_HOSTS=127.0.0.1 \
  "$build/bin/Rookfall" -host >"$home/game.log" 2>&1 &
game=$!
# The intro loads, then the game hosts and waits for its opponent.
sleep "${SETTLE_SECONDS:-15}"
"$build/bin/rookfall_netpeer" --pid "$game" "$@"
kill -0 "$game" 2>/dev/null && echo "the host is still running" || echo "the host has ended"
