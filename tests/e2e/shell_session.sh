#!/usr/bin/env bash
# End to end, as a viewer would: start starwane under the test display,
# answer the setup dialog with xdotool, watch the log and the window, quit.
#   bash shell_session.sh <bin-dir>
# Cases: confirm and quit with Escape (status 0); cancel (status 0, no
# window); no data.pak ("FAILED!", then an error, status 1); no audio device;
# no display. Needs DISPLAY (ctest runs under xvfb-run), xdotool, xwininfo
# and xwd. SHELL_E2E_SCREENSHOTS=<folder> keeps the screen dumps (xwd).
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
# The bin folder, a work folder removed at the end, the X display without sound on Mesa's software renderer.
e2e_open "$1"
title="Orvelant - starwane"

# --- a folder to run from: the built program and its pack, which holds the tune ---
run="$work/run"
mkdir -p "$run"
cp "$bin/starwane" "$bin/data.pak" "$run/"

# --- 1. confirm, see the window, quit with Escape ---
# Full screen at 640x480 is refused by the test display (one mode only), so a centred window opens instead.
# The tune goes to a file (SDL's disk audio driver), so that what was played can be checked.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" "$run/starwane" >"$work/out1.txt" 2>"$work/err1.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  dialog=${dialog%% *}
  pass "the setup dialog opened"
  wait_viewable "$dialog" 120 || fail "the setup dialog was never shown"
  xwd -root -silent >"$work/dialog.xwd"
  keys "$dialog" ctrl+a
  xdotool type --delay 20 "640x480"
  xdotool key Return
  window=""
  end=$((SECONDS + 120))
  while [ "$SECONDS" -lt "$end" ]; do
    grep -q "Initializing engine" "$work/out1.txt" && window=$(wait_window "$title" 1 "$dialog") && break
    sleep 0.2
  done
  if [ -n "$window" ]; then
    pass "the demo window opened: $window"
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    # Centred on the screen with the requested client size (SDL may place it a moment after making it).
    expected="640x480+$(( (screen_w - 640) / 2 ))+$(( (screen_h - 480) / 2 ))"
    geometry=${window#* }
    end=$((SECONDS + 120))
    while [ "$SECONDS" -lt "$end" ]; do
      [ "$geometry" = "$expected" ] && break
      sleep 0.2
      geometry=$(windows_named "$title" | awk -v id="${window%% *}" '$1 == id { print $2 }')
    done
    [ "$geometry" = "$expected" ] && pass "centred 640x480 window" || fail "window at $geometry, not $expected"
    # Frames are being drawn: once the tune plays (the main loop starts it just before its first frame), the
    # loading bar (0.2, 0.5, 0.9) that filled the window's middle row is cleared by the frames. (While the
    # show draws nothing, the frame is black.)
    wait_sound "$work/played.raw" 120 || fail "the tune never started"
    left=$(( (screen_w - 640) / 2 )); top=$(( (screen_h - 480) / 2 ))
    end=$((SECONDS + 120))
    while [ "$SECONDS" -lt "$end" ]; do
      xwd -root -silent >"$work/window.xwd"
      bar=$(pixel "$work/window.xwd" $(( left + 640 / 4 )) $(( top + 240 )))
      [ "$bar" != "51 128 230" ] && break
      sleep 0.5
    done
    centre=$(pixel "$work/window.xwd" $(( screen_w / 2 )) $(( screen_h / 2 )))
    echo "picture: $bar at the bar's place, $centre in the centre"
    [ "$bar" != "51 128 230" ] && pass "the main loop draws frames over the loading bar" || fail "the loading bar is still shown"
    keys "${window%% *}" Escape
  else
    fail "no demo window"
  fi
else
  fail "no setup dialog"
fi
wait_exit "$pid" 120
[ "$status" = 0 ] && pass "Escape ends the program with status 0" || fail "exit status $status"
echo "--- log"; cat "$work/out1.txt"; echo "--- stderr"; cat "$work/err1.txt"
expected=("Initializing OpenGL..." "OPENGL :: Vendor: " "OPENGL :: Renderer: " "OPENGL :: Version: "
          "OPENGL :: Maximum texture size: " "Initializing engine..." "Initializing file system with data file: ")
last=0
for line in "${expected[@]}"; do
  n=$(grep -nF -- "$line" "$work/out1.txt" | head -1 | cut -d: -f1)
  if [ -z "$n" ] || [ "$n" -le "$last" ]; then fail "log line out of order or missing: $line"; else last=$n; fi
done
[ "$last" -gt 0 ] && pass "log lines in order"
grep -q "FAILED!" "$work/out1.txt" && fail "the pack did not open"
# A normal run on Mesa logs no GL error.
grep -q "OPENGL :: ERROR" "$work/out1.txt" && fail "a GL error was logged"
# Standard error is for the program's errors: a normal run leaves it empty (no toolkit chatter). SDL's disk
# audio driver, which records the tune here, announces itself there; nothing else may appear.
grep -vE "^CRITICAL: (You are using the SDL disk i/o audio driver!| Writing to file \[)" "$work/err1.txt" >"$work/err1-rest.txt"
[ -s "$work/err1-rest.txt" ] && fail "standard error is not empty after a normal run: $(cat "$work/err1-rest.txt")" ||
  pass "standard error stays empty"
# The tune played: the device received sound, not only silence.
played=$(od -An -t d2 -v -w2 "$work/played.raw" 2>/dev/null | awk '$1 > 2000 || $1 < -2000 { n++ } END { print n + 0 }')
[ "$played" -gt 1000 ] && pass "the tune played ($played loud samples)" || fail "no tune was played ($played loud samples)"

# --- 1b. Escape right after confirming (during loading) still ends cleanly ---
"$run/starwane" >"$work/out1b.txt" 2>"$work/err1b.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  if window=$(wait_window "$title" 120 "${dialog%% *}"); then
    keys "${window%% *}" Escape
  fi
  wait_exit "$pid" 120
  [ "$status" = 0 ] && pass "Escape while loading ends with status 0" || fail "Escape while loading: status $status"
  [ -s "$work/err1b.txt" ] && fail "standard error is not empty: $(cat "$work/err1b.txt")"
else
  fail "no setup dialog (escape while loading)"; kill "$pid" 2>/dev/null
fi

# --- 2. cancel: status 0 and no window ---
"$run/starwane" >"$work/out2.txt" 2>"$work/err2.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Escape
  wait_exit "$pid" 120
  [ "$status" = 0 ] && pass "cancel ends with status 0" || fail "cancel: exit status $status"
  grep -q "Initializing OpenGL" "$work/out2.txt" && fail "cancel still opened the window"
  [ -s "$work/err2.txt" ] && fail "standard error is not empty after a cancel: $(cat "$work/err2.txt")"
else
  fail "no setup dialog to cancel"; kill "$pid" 2>/dev/null
fi

# --- 3. no data.pak: "FAILED!", then an error and status 1 ---
mkdir -p "$work/nopack"
cp "$bin/starwane" "$work/nopack/"
"$work/nopack/starwane" >"$work/out3.txt" 2>"$work/err3.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  if box=$(wait_window "Orvelant demo system" 120); then
    pass "the error is shown in a message box"
    xwd -root -silent >"$work/error.xwd"
    keys "${box%% *}" Return
  else
    fail "no message box"
  fi
  wait_exit "$pid" 120
  [ "$status" = 1 ] && pass "an error ends with status 1" || fail "no pack: exit status $status"
  grep -q "^FAILED!" "$work/out3.txt" && pass "FAILED! logged" || fail "no FAILED! line"
  grep -q "^Orvelant demo system: " "$work/err3.txt" && pass "the error is on standard error: $(cat "$work/err3.txt")" ||
    fail "no error text on standard error"
else
  fail "no setup dialog (no pack)"; kill "$pid" 2>/dev/null
fi

# --- 4. no audio device ---
SDL_AUDIODRIVER=no-such-driver "$run/starwane" >"$work/out4.txt" 2>"$work/err4.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  box=$(wait_window "Orvelant demo system" 120) && keys "${box%% *}" Return
  wait_exit "$pid" 120
  [ "$status" = 1 ] && grep -q "BASS :: Can't initialize audio device!" "$work/err4.txt" &&
    pass "no audio device reported" || fail "no audio device: status $status, $(cat "$work/err4.txt")"
  grep -q "SDL_AUDIODRIVER=dummy" "$work/err4.txt" && pass "how to play without sound is said" ||
    fail "no hint about playing without sound"
else
  fail "no setup dialog (no audio)"; kill "$pid" 2>/dev/null
fi

# --- 5. no display ---
env -u DISPLAY -u WAYLAND_DISPLAY "$run/starwane" >"$work/out5.txt" 2>"$work/err5.txt" &
pid=$!
wait_exit "$pid" 120
[ "$status" = 1 ] && grep -q "Cannot open the display" "$work/err5.txt" && pass "no display reported" ||
  fail "no display: status $status, $(cat "$work/err5.txt")"

if [ -n "${SHELL_E2E_SCREENSHOTS:-}" ]; then cp "$work"/*.xwd "$SHELL_E2E_SCREENSHOTS/"; fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
