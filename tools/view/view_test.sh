#!/bin/sh
# Runs quorvel-view for a few frames of every scene, in several pixel formats
# and on 24-bit and 16-bit virtual X displays, then checks the screenshots.
#   view_test.sh VIEWER CHECKER WORKDIR
# Exits 77 (skipped) when there is no Xvfb to run it on.
set -u
viewer=$1 checker=$2 work=$3

if ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIP: Xvfb is not installed (Debian package xvfb); the viewer needs a display"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work/shots"

server=""
cleanup() { [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null; server=""; }
trap cleanup EXIT INT TERM

# Starts Xvfb at the given depth on a free display and points DISPLAY at it.
start_display() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "640x480x$1" 3>"$work/display" 2>"$work/xvfb.log" &
  server=$!
  tries=0
  while [ ! -s "$work/display" ] && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
  if [ ! -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start:"; cat "$work/xvfb.log"; exit 1
  fi
  DISPLAY=":$(cat "$work/display")"
  export DISPLAY
}

run() {  # scene format
  if ! SDL_VIDEODRIVER=x11 "$viewer" --frames 3 --scene "$1" --format "$2" --screenshot-dir "$work/shots"; then
    echo "FAIL: quorvel-view --scene $1 --format $2 on a $depth-bit display"; exit 1
  fi
}

depth=24
start_display $depth
run 1 4; run 2 1; run 3 3; run 4 2; run 2 5
cleanup
depth=16
start_display $depth
run 4 4
cleanup

# The status bar is 22 rows high.
"$checker" "$work/shots" 22 6 || { echo "FAIL: screenshots"; exit 1; }
echo "PASS: every scene drew changing frames in every format"
