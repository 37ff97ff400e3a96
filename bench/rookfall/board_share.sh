#!/usr/bin/env bash
# Rookfall's share of the processor while a player sits on the board: the
# game as a fresh player starts it, full screen on a virtual X display of
# 1024 x 768 with the software rasteriser's own choice of threads; from the
# main menu Shift + "Human vs. Computer" starts a game between two people,
# where nothing moves until someone plays. Then for 20 s (or the seconds
# given) the processor time of the game and all its threads is read from
# /proc and printed as a share of one core.
# Usage: bench/rookfall/board_share.sh [build folder] [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${1:-build}
seconds=${2:-20}

if [ "${ROOKFALL_SHARE_INSIDE:-}" != 1 ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "board_share: $tool is missing" >&2; exit 1; }
  done
  work=$(mktemp -d /tmp/rookfall_share.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  export ROOKFALL_SHARE_INSIDE=1 ROOKFALL_SHARE_WORK="$work"
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$seconds"
fi

work=$ROOKFALL_SHARE_WORK
unset JENTRA_SETTINGS_DIR JENTRA_WINDOWED JENTRA_RUNTIME_DIR SDL_VIDEODRIVER XDG_CONFIG_HOME
unset LP_NUM_THREADS
export HOME="$work/home" SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null LIBGL_ALWAYS_SOFTWARE=1
export JENTRA_DISCOVERY_HOSTS=127.0.0.1
mkdir -p "$HOME"
"$root/$build/bin/Rookfall" > "$work/game.log" 2>&1 &
game=$!
trap 'kill $game 2>/dev/null || true' EXIT

# Processor time of the game in clock ticks (user and system, all threads).
ticks() { awk '{print $14 + $15}' "/proc/$game/stat"; }

# The intro loads, then the main menu shows; the click lands on its second
# entry (the game's cursor follows the mouse's motion only, a thousandth of
# the screen a count).
sleep 25
kill -0 "$game" 2>/dev/null || { echo "board_share: Rookfall ended:" >&2; tail "$work/game.log" >&2; exit 1; }
xdotool mousemove_relative -- -2000 -2000
sleep 0.5
xdotool mousemove_relative -- 500 400 keydown Shift_L
sleep 0.5
xdotool click 1
sleep 1
xdotool keyup Shift_L mousemove_relative -- -2000 -2000
# The board settles: the camera glides behind the white pieces.
sleep 5
start=$(ticks)
sleep "$seconds"
end=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "Rookfall on the board: %.0f %% of a core over %d s\n", 100 * t / hz / s, s }'
xdotool key --clearmodifiers shift+Escape
