#!/usr/bin/env bash
# End to end, in a Wayland session: starwane and the studio run as native Wayland clients of weston (in a
# window of the test's X display, which stays beside it as XWayland does on a desktop), and are driven
# through the compositor's own seat: xdotool types into weston's window, weston hands the keys on.
#   starwane   the setup dialog (GTK, here on the X display, where xdotool can answer it) starts the show in
#              a window on weston; the show's picture shows in weston's output; Escape quits with status 0
#   studio     shows its instant, F12 saves the picture, Escape quits with status 0
#   bash wayland_session.sh <bin-dir>
set -uo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
pid=""
weston_pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# What these checks depend on, whoever starts them: the Wayland compositor below with the X display beside it
# (no driver named by hand), no sound device, Mesa's software renderer.
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
failures=0

# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"

if [ -z "${DISPLAY:-}" ] || ! command -v weston >/dev/null; then
  echo "FAIL: needs an X display (run under xvfb-run) and weston (bash tools/setup.sh test installs it)"
  exit 1
fi
runtime="$work/runtime"
socket="orvelant-$$"
if ! start_weston "$runtime" "$socket" "$work/weston.log"; then
  echo "FAIL: weston did not start: $(tail -5 "$work/weston.log")"
  exit 1
fi
export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket"
compositor=$(wait_window "Weston Compositor - screen0" 60) || {
  echo "FAIL: weston's window is not on the X display"
  exit 1
}
compositor=${compositor%% *}

# The mean brightness of the middle of weston's output (an 800x600 window), which any 640x480 window it
# places covers.
output_mean() {
  xwd -id "$compositor" -silent >"$work/output.xwd" &&
    ffmpeg -loglevel error -y -i "$work/output.xwd" -frames:v 1 -pix_fmt rgb24 "$work/output.png" &&
    "$bin/orvelant_picture_stats" "$work/output.png" 0.2 0.2 0.8 0.85 | awk '{ print int($2) }'
}
# Sends keys to weston's window; weston passes them to the client it focused.
compositor_keys() {
  xdotool windowfocus --sync "$compositor" 2>/dev/null || xdotool windowfocus "$compositor"
  xdotool key --clearmodifiers "$@"
}

# --- starwane ---
title="Orvelant - starwane"
# weston's shell paints its background (a grey pattern) a moment after it starts.
end=$((SECONDS + 60))
background=$(output_mean)
until [ "${background:-0}" -gt 60 ] || [ "$SECONDS" -ge "$end" ]; do
  sleep 0.2
  background=$(output_mean)
done
GDK_BACKEND=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" "$bin/starwane" >"$work/starwane.out" \
  2>"$work/starwane.err" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  dialog=${dialog%% *}
  keys "$dialog" ctrl+a
  xdotool type --delay 20 "640x480"
  xdotool key Return
  if wait_sound "$work/played.raw" 120; then
    driver=$(sed -n 's/^DISPLAY :: SDL video driver: //p' "$work/starwane.out")
    [ "$driver" = wayland ] && pass "starwane plays the show through SDL's wayland driver" ||
      fail "starwane runs on '$driver'"
    # The show opens on black (captions aside) where weston's background was: its frames reach the
    # compositor.
    end=$((SECONDS + 120))
    shown=""
    while [ "$SECONDS" -lt "$end" ]; do
      shown=$(output_mean)
      [ -n "$shown" ] && [ "$shown" -lt 40 ] && break
      sleep 0.5
    done
    [ -n "$shown" ] && [ "$shown" -lt 40 ] && [ "${background:-0}" -gt 60 ] &&
      pass "weston shows the show's picture (brightness $background before, $shown now)" ||
      fail "weston's output: brightness $background before, ${shown:-none} now"
  else
    fail "the tune never started: $(tail -3 "$work/starwane.err")"
  fi
  compositor_keys Escape
  wait_exit "$pid" 120
  pid=""
  [ "$status" = 0 ] && pass "Escape through weston ends starwane with status 0" || fail "starwane: status $status"
  grep -q "OPENGL :: ERROR" "$work/starwane.out" && fail "starwane logged GL errors"
  # Standard error stays as empty as on X11 (no toolkit chatter): only SDL's disk audio driver announces itself.
  grep -vE "^CRITICAL: (You are using the SDL disk i/o audio driver!| Writing to file \[)" "$work/starwane.err" \
    >"$work/starwane-rest.err"
  [ -s "$work/starwane-rest.err" ] && fail "starwane's standard error: $(head -3 "$work/starwane-rest.err")" ||
    pass "starwane's standard error stays empty"
else
  fail "no setup dialog: $(tail -3 "$work/starwane.err")"
  kill "$pid"
  pid=""
fi

# --- the studio ---
mkdir -p "$work/shots"
"$bin/starwane-studio" --size 320x180 --at 8.5 --shots "$work/shots" >"$work/studio.out" 2>"$work/studio.err" &
pid=$!
if wait_line "$work/studio.err" '^studio: 8\.500 s' 120 >/dev/null; then
  driver=$(sed -n 's/^DISPLAY :: SDL video driver: //p' "$work/studio.out")
  [ "$driver" = wayland ] && pass "the studio shows 8.5 s through SDL's wayland driver" ||
    fail "the studio runs on '$driver'"
  compositor_keys F12
  end=$((SECONDS + 120))
  until ls "$work"/shots/*.png >/dev/null 2>&1 || [ "$SECONDS" -ge "$end" ]; do sleep 0.1; done
  shot=$(ls "$work"/shots/*.png 2>/dev/null | head -1)
  [ -n "$shot" ] && pass "F12 through weston saved $(basename "$shot")" || fail "F12 saved no picture"
  compositor_keys Escape
  wait_exit "$pid" 120
  pid=""
  [ "$status" = 0 ] && pass "Escape through weston ends the studio with status 0" || fail "studio: status $status"
else
  fail "the studio did not show 8.5 s: $(tail -3 "$work/studio.err")"
fi

echo "$failures failure(s)"
[ "$failures" = 0 ]
