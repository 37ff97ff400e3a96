#!/usr/bin/env bash
# Checks Rookfall as a player meets it, on a virtual X display:
#  1. tools/play.sh with a fresh home and settings: the intro, then the main
#     menu over the Park board, where Shift + "Human vs. Computer" starts a
#     game between two people at once; a screenshot taken with the game's own
#     screenshot key (Print) shows the light and dark squares and the pieces
#     on their squares. The two play a fool's mate by mouse, save it from the
#     game-over menu under a typed name (a file of the four moves), go to
#     the main menu and replay it: the board ends with "CHECKMATE" over it.
#     Shift+Escape ends the game cleanly.
#  2. The screensaver ("/saver") with a raised game speed: the computer
#     plays itself to mate, stalemate or 300 plies without stalling, and the
#     program goes on drawing frames afterwards.
#  3. On screens of 800 x 600 and 1280 x 1024 (no window manager), the full
#     screen window covers the screen from its top left corner.
# Usage: tests/chess/game/check_rookfall.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../../.."
root=$(pwd)
build=${1:-build}

# Part 3 on one screen, inside its own virtual display: Rookfall as a fresh
# player starts it, and the place and size of its window.
if [ "${ROOKFALL_CHECK_INSIDE:-}" = placement ]; then
  unset JENTRA_SETTINGS_DIR JENTRA_WINDOWED JENTRA_RUNTIME_DIR SDL_VIDEODRIVER XDG_CONFIG_HOME
  export HOME="$ROOKFALL_CHECK_WORK/home" SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null LIBGL_ALWAYS_SOFTWARE=1
  export JENTRA_DISCOVERY_HOSTS=127.0.0.1
  mkdir -p "$HOME"
  screen=$(xdotool getdisplaygeometry | tr ' ' x)
  "$root/$build/bin/Rookfall" > "$ROOKFALL_CHECK_WORK/game.log" 2>&1 &
  game=$!
  placed=""
  for _ in $(seq 1 90); do
    sleep 1
    kill -0 "$game" 2>/dev/null || break
    eval "$(xdotool search --name Rookfall getwindowgeometry --shell 2>/dev/null | head -5)" || true
    placed="${WIDTH:-?}x${HEIGHT:-?}+${X:-?}+${Y:-?}"
    [ "$placed" = "$screen+0+0" ] && break
  done
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  echo "screen $screen: the window at $placed"
  [ "$placed" = "$screen+0+0" ]
  exit
fi

if [ "${ROOKFALL_CHECK_INSIDE:-}" != 1 ]; then
  for tool in xvfb-run xdotool; do
    if ! command -v "$tool" >/dev/null; then
      echo "check_rookfall: $tool is missing (tools/setup.sh installs it)" >&2
      exit 1
    fi
  done
  work=$(mktemp -d /tmp/rookfall_check.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  export ROOKFALL_CHECK_INSIDE=1 ROOKFALL_CHECK_WORK="$work"
  exec xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$0" "$build"
fi

work=$ROOKFALL_CHECK_WORK
# The game as a fresh player starts it: a new home, no settings, full
# screen, real X11 (not the tests' offscreen driver); silent audio.
unset JENTRA_SETTINGS_DIR JENTRA_WINDOWED JENTRA_RUNTIME_DIR SDL_VIDEODRIVER XDG_CONFIG_HOME
unset XDG_DESKTOP_DIR
export HOME="$work/home" SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null LIBGL_ALWAYS_SOFTWARE=1
export JENTRA_DISCOVERY_HOSTS=127.0.0.1
mkdir -p "$HOME/Desktop"
boardcheck="$root/$build/tests/rookfall_boardcheck"
failed=0

# The game's data as tools/play.sh builds it, seen through links, with a
# "Recorded" folder of this check's own.
data="$work/data"
mkdir -p "$data/Recorded"
for entry in "$root"/build/bin/*; do
  [ "$(basename "$entry")" = Recorded ] || ln -s "$entry" "$data/"
done
export JENTRA_RUNTIME_DIR="$data"

# The newest screenshot on the desktop after Print.
screenshot() {
  xdotool key Print
  sleep 1.5
  ls -t "$HOME"/Desktop/*.bmp 2>/dev/null | head -1 || true
}

# Clicks at a place given as shares of the screen from its top left corner:
# the game's cursor goes to the corner first.
click_at() {
  xdotool mousemove_relative -- -2000 -2000
  sleep 0.3
  xdotool mousemove_relative -- $(awk -v x="$1" -v y="$2" 'BEGIN { printf "%d %d", x * 1000, y * 1000 }')
  sleep 0.4
  xdotool click 1
  sleep 0.7
}

# Two people at the board (White's view on the 1024 x 768 screen) play
# 1. f3 e5 2. g4 Qh4#, save the game as "foolsmate", and replay it from the
# main menu. The places clicked are the squares' centres and the lines of
# the menus, in the middle of the screen one under another.
# Takes screenshots until the board check passes with the given options, at
# most the given number of times: a slow machine draws late, not wrongly.
# The last screenshot taken stays in $last_shot.
last_shot=""
wait_for_board() {
  local tries=$1
  shift
  for _ in $(seq 1 "$tries"); do
    last_shot=$(screenshot)
    if [ -n "$last_shot" ] && "$boardcheck" "$last_shot" "$@" > "$work/wait.txt" 2>&1; then
      return 0
    fi
  done
  cp "$last_shot" "$root/$build/rookfall_check_wait.bmp" 2>/dev/null || true
  cat "$work/wait.txt" >&2
  return 1
}

mate_save_replay() {
  local where shot bytes left=""
  where=$("$boardcheck" --where 1024 768 f2 f3 e7 e5 g2 g4 d8 h4) || return 1
  square() { echo "$where" | awk -v s="$1" '$1 == s { print $2, $3 }'; }
  for move in "f2 f3" "e7 e5" "g2 g4" "d8 h4"; do
    set -- $move
    click_at $(square "$1")
    click_at $(square "$2")
    [ "$1" = d8 ] && break
    # Each move is seen made before the next is played.
    left="${left:+$left,}$1"
    if ! wait_for_board 12 --left "$left"; then
      echo "FAIL: the move $1-$2 was not made (see $build/rookfall_check_wait.bmp)" >&2
      return 1
    fi
  done
  # The mate brings the game-over menu over the board: save from it, again
  # if the menu was not up yet when the click came.
  for _ in 1 2 3; do
    sleep 3
    click_at 0.5 0.467 # game over: "Save Recorded Game"
    sleep 2
    xdotool type --delay 120 foolsmate
    xdotool key Return
    for _ in $(seq 1 10); do
      [ -s "$data/Recorded/foolsmate.gam" ] && break 2
      sleep 1
    done
  done
  sleep 0.5
  bytes=$(od -An -tx1 "$data/Recorded/foolsmate.gam" 2>/dev/null | tr -s ' \n' ' ' || true)
  echo "saved: $bytes"
  if [ "$bytes" != " 04 00 00 00 e5 2a 00 00 14 1a 00 00 66 23 00 00 83 23 00 00 " ]; then
    echo "FAIL: the game was not saved as its four moves" >&2
    return 1
  fi
  click_at 0.5 0.587 # game over: "Main Menu"
  sleep 1.5
  click_at 0.5 0.573 # main menu: "Replay Recorded"
  sleep 1.5
  click_at 0.5 0.4 # the one recorded game
  xdotool mousemove_relative -- -2000 -2000
  # Four moves three seconds apart, and the last one's flight: then mate.
  sleep 12
  if ! wait_for_board 30 --left f2 --checkmate; then
    echo "FAIL: the replay did not end in mate (see $build/rookfall_check_wait.bmp)" >&2
    return 1
  fi
  cp "$last_shot" "$root/$build/rookfall_check_replay.bmp"
  cat "$work/wait.txt"
}

echo "=== Rookfall through tools/play.sh"
tools/play.sh > "$work/play.log" 2>&1 &
game=$!
found=""
intro=""
# Where the main menu's second entry shows, in the cursor's counts from the
# top left corner: half way across, 0.4 of the height down.
menu_x=500
menu_y=400
# The main menu's list covers the board's middle, and the computer plays
# itself behind it. "Human vs. Computer" with Left Shift held starts a new
# game between two people at once, which nobody plays: the pieces stay on
# their squares. Over the intro the click does nothing; in such a game it
# falls on an empty square. The game's cursor follows the mouse's motion only
# (a thousandth of the screen a count, held at its edges): it goes to the top
# left corner, to the entry, and back to the corner so that no square is
# marked.
start_game_between_two_people() {
  xdotool mousemove_relative -- -2000 -2000
  sleep 0.5
  xdotool mousemove_relative -- "$menu_x" "$menu_y" keydown Shift_L
  sleep 0.5
  xdotool click 1
  sleep 1
  xdotool keyup Shift_L mousemove_relative -- -2000 -2000
}

for second in $(seq 2 2 180); do
  sleep 2
  if ! kill -0 "$game" 2>/dev/null; then
    echo "Rookfall ended before its main menu showed:" >&2
    tail -20 "$work/play.log" >&2
    exit 1
  fi
  shot=$(screenshot)
  [ -n "$shot" ] || continue
  if "$boardcheck" "$shot" > "$work/check.txt"; then
    found=$shot
    echo "the board after about $second s: $(tail -1 "$work/check.txt")"
    cat "$work/check.txt"
    break
  elif [ -z "$intro" ]; then
    intro=$shot
    echo "the intro or the main menu (no clear board yet) after about $second s"
  fi
  start_game_between_two_people
done
# The picture judged last stays in the build folder for a person to look at.
last=${found:-$(ls -t "$HOME"/Desktop/*.bmp 2>/dev/null | head -1 || true)}
[ -z "$last" ] || cp "$last" "$root/$build/rookfall_check_menu.bmp"
if [ -z "$found" ]; then
  echo "FAIL: no screenshot showed the board with its pieces (see $build/rookfall_check_menu.bmp);" \
       "the last one said:" >&2
  cat "$work/check.txt" >&2 || true
  failed=1
else
  echo "=== two people play to mate, save the game and replay it"
  # The board shows behind the main menu too: once more, so that the game
  # has surely begun.
  start_game_between_two_people
  sleep 2
  mate_save_replay || failed=1
fi
# Shift+Escape, held long enough for a frame to see both keys.
xdotool keydown shift keydown Escape
sleep 1
xdotool keyup Escape keyup shift
status=0
for _ in $(seq 1 60); do
  kill -0 "$game" 2>/dev/null || break
  sleep 1
done
if kill -0 "$game" 2>/dev/null; then
  echo "FAIL: Rookfall did not end on Shift+Escape" >&2
  kill "$game"
  failed=1
else
  wait "$game" || status=$?
  if [ "$status" != 0 ]; then
    echo "FAIL: Rookfall ended with status $status" >&2
    tail -20 "$work/play.log" >&2
    failed=1
  fi
fi

echo "=== the screensaver playing itself"
export HOME="$work/saver"
mkdir -p "$HOME"
# The driver is the game run by a script; its data is the build's.
if ! JENTRA_RUNTIME_DIR="$root/$build/bin" timeout 600 "$root/$build/tests/rookfall_driver" --saver --game-speed 60 --max-plies 300 \
     --multisample 0 > "$work/saver.txt" 2> "$work/saver.log"; then
  echo "FAIL: the screensaver stopped:" >&2
  cat "$work/saver.txt" >&2
  tail -20 "$work/saver.log" >&2
  failed=1
else
  cat "$work/saver.txt"
  grep -q '^end ' "$work/saver.txt" && grep -q '^frames-after ' "$work/saver.txt" || failed=1
fi

echo "=== the full screen window on other screens"
for size in 800x600 1280x1024; do
  mkdir -p "$work/$size"
  if ! ROOKFALL_CHECK_INSIDE=placement ROOKFALL_CHECK_WORK="$work/$size" \
       xvfb-run -a -s "-noreset -screen 0 ${size}x24" "$0" "$build"; then
    echo "FAIL: on a $size screen the window does not cover the screen" >&2
    tail -5 "$work/$size/game.log" >&2 || true
    failed=1
  fi
done

if [ "$failed" = 0 ]; then echo "check_rookfall: passed"; else echo "check_rookfall: FAILED" >&2; fi
exit "$failed"
