# Shared by the end-to-end scripts: finding windows by name on the test
# display, waiting for a process to end, typing into a window, reading a
# pixel of a screen dump. Sourced, not run.

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
failures=${failures:-0}

# The opening the scripts share: the bin folder $1 as $bin, a work folder $work removed at the end, and what
# the checks depend on whoever starts them: the X display (never SDL's offscreen driver), no sound device,
# Mesa's software renderer.
e2e_open() {
  set -uo pipefail
  bin=$(cd "$1" && pwd)
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
  failures=0
}

# Ids and geometry ("id WxH+X+Y") of the top-level windows named exactly $1. (SDL names its windows in
# UTF-8, which xdotool's name search does not read, so the window tree is asked.)
windows_named() {
  xwininfo -root -children 2>/dev/null | grep -F "\"$1\": (" | awk '{ print $1, $(NF-1) }'
}

# Waits up to $2 seconds for a window named $1 other than $3; prints its id and geometry.
# The bounds of these waits are seconds on the clock, not counts of tries: on a busy machine each try
# itself takes a while.
wait_window() {
  local found="" end=$((SECONDS + $2))
  while :; do
    found=$(windows_named "$1" | awk -v skip="${3:-none}" '$1 != skip' | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# Waits up to $2 seconds until window $1 is mapped and viewable (SDL and GTK create their windows hidden and
# show them a little later); false when it never is.
wait_viewable() {
  local end=$((SECONDS + $2))
  while :; do
    xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable" && return 0
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# Waits up to $2 seconds until the raw sound file $1 (16-bit samples, as SDL's disk audio driver writes it)
# holds sound, not only silence: the tune is playing. False when it never does.
wait_sound() {
  local end=$((SECONDS + $2))
  while :; do
    [ "$(od -An -t d2 -v -w2 "$1" 2>/dev/null | awk '$1 > 2000 || $1 < -2000 { n++ } END { print n + 0 }')" -gt 100 ] &&
      return 0
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.5
  done
}

# Waits up to $2 seconds for process $1 to end; sets status to its exit status (or "timeout").
wait_exit() {
  local end=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$end" ]; do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; status=$?; return 0; fi
    sleep 0.2
  done
  kill "$1" 2>/dev/null; wait "$1" 2>/dev/null
  status="timeout"
}

# Waits up to $3 seconds for a line matching the extended regex $2 in file $1 while process $pid runs; prints
# the last such line.
wait_line() {
  local end=$((SECONDS + $3))
  while :; do
    if grep -Eq "$2" "$1" 2>/dev/null; then grep -E "$2" "$1" | tail -1; return 0; fi
    kill -0 "$pid" 2>/dev/null || return 1
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

# Waits up to $2 seconds for file $1.
wait_file() {
  local end=$((SECONDS + $2))
  until [ -s "$1" ]; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}

# The studio's window (its title starts with the show's name, $2 or starwane, and then changes with the status).
studio_window() {
  local found end=$((SECONDS + $1))
  while :; do
    found=$(xwininfo -root -children 2>/dev/null | grep -F "\"${2:-starwane} studio - " | awk '{ print $1 }' | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# Sends keys to a window after giving it the input focus. SDL creates its window hidden and shows it only
# once the GL context is up: keys sent before that would go nowhere, so wait (120 s at most) until it is
# mapped. The focus change is waited for (--sync); the keys then reach the window in order after it.
keys() {
  local id=$1; shift
  wait_viewable "$id" 120 || echo "window $id was never shown; sending the keys anyway"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  xdotool key --clearmodifiers "$@"
}

# Red, green and blue of the screen pixel (x, y) from an xwd dump (header big-endian, 32-bit pixels).
pixel() {
  local file=$1 x=$2 y=$3
  local header ncolors bpl order offset
  read -r header <<<"$(od -An -t u1 -j 0 -N 4 "$file" | awk '{print $1*16777216+$2*65536+$3*256+$4}')"
  read -r order <<<"$(od -An -t u1 -j 28 -N 4 "$file" | awk '{print $4}')"
  read -r bpl <<<"$(od -An -t u1 -j 48 -N 4 "$file" | awk '{print $1*16777216+$2*65536+$3*256+$4}')"
  read -r ncolors <<<"$(od -An -t u1 -j 76 -N 4 "$file" | awk '{print $1*16777216+$2*65536+$3*256+$4}')"
  offset=$(( header + ncolors * 12 + y * bpl + x * 4 ))
  if [ "$order" = 0 ]; then
    od -An -t u1 -j "$offset" -N 4 "$file" | awk '{print $3, $2, $1}'
  else
    od -An -t u1 -j "$offset" -N 4 "$file" | awk '{print $2, $3, $4}'
  fi
}


# Starts weston, the Wayland compositor, in a window of the X display, with its runtime folder $1 (made
# private) and the Wayland socket $2 in it; its log goes to $3. Sets weston_pid; returns once the socket
# exists (false when weston ends first or after 60 s). Its X11 backend gives it a seat, the X display's
# keyboard and pointer: xdotool types into its window, and weston passes the keys to its focused client.
# (SDL 2.26's wayland driver crashes on a compositor without a seat, such as weston's headless backend.)
start_weston() {
  local runtime=$1 socket=$2 log=$3 end=$((SECONDS + 60))
  mkdir -p -m 700 "$runtime"
  XDG_RUNTIME_DIR="$runtime" weston --backend=x11-backend.so --use-pixman --width=800 --height=600 \
    --socket="$socket" --idle-time=0 --no-config --log="$log" >/dev/null 2>&1 &
  weston_pid=$!
  until [ -S "$runtime/$socket" ]; do
    kill -0 "$weston_pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}
