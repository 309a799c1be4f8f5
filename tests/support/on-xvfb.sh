#!/bin/bash
# Runs one widget test on an X display of its own (Xvfb on a free display
# number, with the xcb platform), so that the checks of the mouse selection
# (PRIMARY), which the offscreen platform does not have, run too.
set -u
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
cleanup() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
for _ in $(seq 100); do
  grep -qx '[0-9]\+' "$dir/display" 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
display=$(head -n 1 "$dir/display")
if [ -z "$display" ]; then
  echo "on-xvfb: Xvfb did not start" >&2
  cat "$dir/log" >&2
  exit 1
fi
# VANTRY_TEST_SELECTION: the test fails where the display has no selection,
# instead of passing over its checks.
DISPLAY=":$display" QT_QPA_PLATFORM=xcb VANTRY_TEST_SELECTION=1 "$@"
