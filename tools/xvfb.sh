#!/usr/bin/env bash
# Runs a command on an X display of its own (Xvfb), as `xvfb-run -a` does, but lets the server choose a free
# display number itself (-displayfd). xvfb-run -a picks the number by looking for lock files before it starts
# the server, and two started at the same moment can both be handed one display (7 times in 40 rounds of three
# at once on this machine): the second run's windows and keys then land on the first run's display, and its
# display is gone when the first run ends. Xvfb's own choice never shared one (0 of 40).
#   bash tools/xvfb.sh [-s "SERVER ARGUMENTS"] COMMAND [ARGUMENT...]
# The server arguments default to "-screen 0 1920x1080x24 +extension GLX". The command's status is returned.
# The server never resets (-noreset): by default an X server starts over whenever its last client leaves, and a
# program opening the display meanwhile is refused ("x11 not available"): three loops of 150 xdpyinfo each on
# one display failed 35 times with resets, none without. The suite's tools (xwininfo, xdotool) come and go
# all the time while the programs they check start.
set -uo pipefail
arguments="-screen 0 1920x1080x24 +extension GLX"
if [ "${1:-}" = -s ]; then
  arguments=$2
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: xvfb.sh [-s \"SERVER ARGUMENTS\"] COMMAND [ARGUMENT...]" >&2; exit 2; }
dir=$(mktemp -d)
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The server loads every cookie of its authority file whatever display the entry names; the clients' entry for
# the display it chose is added once that is known.
cookie=$(mcookie)
touch "$dir/Xauthority"
xauth -q -f "$dir/Xauthority" add :0 . "$cookie"
# shellcheck disable=SC2086 # the server's arguments are words
Xvfb -displayfd 3 -nolisten tcp -noreset -auth "$dir/Xauthority" $arguments 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
server=$!
# The number is written once the server accepts connections.
end=$((SECONDS + 120))
until [ -s "$dir/display" ]; do
  if ! kill -0 "$server" 2>/dev/null || [ "$SECONDS" -ge "$end" ]; then
    echo "xvfb.sh: Xvfb did not start: $(tail -3 "$dir/xvfb.log")" >&2
    exit 1
  fi
  sleep 0.05
done
number=$(tr -d '[:space:]' <"$dir/display")
xauth -q -f "$dir/Xauthority" add ":$number" . "$cookie"
DISPLAY=":$number" XAUTHORITY="$dir/Xauthority" "$@"
