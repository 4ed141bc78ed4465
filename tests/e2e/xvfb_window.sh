#!/usr/bin/env bash
# The show in a real X11 window, under Xvfb: typed keys (through XTEST, to
# the focused window) steer the camera, the picture is the show's scaled to
# the window's largest 4:3 area with black bars beside it, and Escape ends
# it through the normal shutdown with status 0. With "box": a start-up error
# of a program started without a terminal shows a message box, which Return
# closes, and the program ends with status 1.
# Usage: xvfb_window.sh CITADEL [WORK_DIR [window|box]]. Exit 77: the X tools are missing.
set -euo pipefail

fail() { echo "xvfb_window: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

# Runs inside the X server, like inside(): missing files, no terminal.
inside_box() {
  local citadel=$1 work=$2
  # SDL draws its box with this core X font (Debian: xfonts-base).
  xlsfonts -fn '-*-*-medium-r-normal--*-120-*-*-*-*-iso8859-1' >/dev/null 2>&1 ||
    { echo "xvfb_window: the X server has no font for SDL's message box (xfonts-base)" >&2; exit 77; }
  mkdir -p "$work/empty"
  "$citadel" --data "$work/empty" </dev/null >"$work/stdout" 2>"$work/stderr" &
  pid=$!
  # SDL names the box in a way xdotool's search does not see; xwininfo does.
  for _ in $(seq 300); do
    wid=$(xwininfo -root -children | awk '/"citadel"/ { print $1; exit }')
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || fail "no message box appeared: $(cat "$work/stderr")"
    sleep 0.1
  done
  [ -n "$wid" ] || fail "no message box appeared"
  xdotool windowfocus --sync "$wid"
  xdotool key Return
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 1 ] || fail "the program ended with status $status"
  grep -q "Files not found" "$work/stderr" || fail "the message is not on stderr: $(cat "$work/stderr")"
}

# Runs inside the X server: DISPLAY is set, no window manager.
inside() {
  local citadel=$1 work=$2

  # 1000 x 600 is wider than 4:3: the picture is 800 x 600 between 100-pixel bars.
  "$citadel" --window=1000x600 --frames 400 --seed 2 --state-log "$work/state.csv" \
    >"$work/stdout" 2>"$work/stderr" &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^citadel$' | head -n 1) ||
    fail "no window appeared"
  sleep 1
  xdotool windowfocus --sync "$wid"
  xdotool key --delay 80 Left Up Prior e
  sleep 0.5
  xwd -silent -id "$wid" | convert xwd:- "$work/window.png"
  xdotool key Escape

  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "the show ended with status $status: $(cat "$work/stderr")"
  frames=$(($(wc -l <"$work/state.csv") - 1))
  [ "$frames" -lt 400 ] || fail "Escape did not end the show (it ran all $frames frames)"

  # The keys, in the state of the last frame: Left turned 10 degrees, Page Up
  # tilted 10, E raised the eye 5 units, Up moved it along the heading.
  IFS=, read -r _ phase x y _ yaw pitch _ < <(tail -n 1 "$work/state.csv")
  [ "$phase" = titles ] && [ "$yaw" = 160 ] && [ "$pitch" = 55 ] && [ "$y" = -10 ] && [ "$x" != -29 ] ||
    fail "the keys did not all arrive: phase $phase x $x y $y yaw $yaw pitch $pitch"

  size=$(convert "$work/window.png" -format '%wx%h' info:)
  [ "$size" = 1000x600 ] || fail "the screenshot is $size"
  left=$(convert "$work/window.png" -crop 100x600+0+0 +repage -format '%[fx:maxima]' info:)
  right=$(convert "$work/window.png" -crop 100x600+900+0 +repage -format '%[fx:maxima]' info:)
  mean=$(convert "$work/window.png" -crop 800x600+100+0 +repage -format '%[fx:mean]' info:)
  colours=$(convert "$work/window.png" -crop 800x600+100+0 +repage -format '%k' info:)
  echo "xvfb_window: $frames frames; bars max $left / $right; picture mean $mean, $colours colours" >&2
  awk -v l="$left" -v r="$right" -v m="$mean" -v c="$colours" \
    'BEGIN { exit !(l == 0 && r == 0 && m > 0.1 && c > 1000) }' ||
    fail "the window does not hold the show between black bars"
}
if [ "${1:-}" = --inside ]; then
  if [ "$4" = box ]; then inside_box "$2" "$3"; else inside "$2" "$3"; fi
  exit
fi
citadel=$1
work=${2:-$(mktemp -d)}
mode=${3:-window}
mkdir -p "$work"
for tool in xvfb-run xdotool xwd convert $([ "$mode" = box ] && echo xwininfo xlsfonts); do
  command -v "$tool" >/dev/null || { echo "xvfb_window: $tool is not installed" >&2; exit 77; }
done
# Two xvfb-run -a started together can pick the same free display number, and
# the second server then fails: the runs of this script take turns.
exec 9>"${TMPDIR:-/tmp}/citadel-xvfb.lock"
flock 9
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$(readlink -f "$0")" --inside "$citadel" "$work" "$mode"
