#!/usr/bin/env bash
# End to end: Ctrl+C (SIGINT) and SIGTERM at every stage of a run end the
# program promptly and cleanly: at the setup dialog, while the show loads,
# during the show, at the error box; and the studio, paused while it paints
# its captions again. The program ends as the signal would have (status 130
# for SIGINT, 143 for SIGTERM), leaves no window behind and writes nothing
# to standard error; the studio leaves no temporary folder or painter. (The test display has one mode
# only, so a mode left changed cannot be seen here.)
#   bash signals.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
# The bin folder, a work folder removed at the end, the X display without sound on Mesa's software renderer.
e2e_open "$1"
title="Orvelant - starwane"

run="$work/run"
mkdir -p "$run" "$work/nopack"
cp "$bin/starwane" "$bin/data.pak" "$run/"
cp "$bin/starwane" "$work/nopack/"

# Checks what an interrupted run ($1: name, $2: expected status, $3: stderr file) left behind.
ended_cleanly() {
  [ "$status" = "$2" ] && pass "$1: ended with status $2" || fail "$1: status $status, not $2"
  [ -s "$3" ] && fail "$1: standard error: $(cat "$3")"
  [ -z "$(windows_named "$title")$(windows_named "Orvelant demo system")" ] || fail "$1: a window is left"
}

# --- at the setup dialog ---
"$run/starwane" >"$work/out1.txt" 2>"$work/err1.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  wait_viewable "${dialog%% *}" 120 || fail "the dialog was never shown"
  kill -INT "$pid"
  wait_exit "$pid" 120
  ended_cleanly "Ctrl+C at the dialog" 130 "$work/err1.txt"
  grep -q "Initializing OpenGL" "$work/out1.txt" && fail "Ctrl+C at the dialog went on to start the show"
else
  fail "no setup dialog"; kill "$pid" 2>/dev/null
fi

# --- while the show loads: as soon as the window and its GL context come up ---
"$run/starwane" >"$work/out2.txt" 2>"$work/err2.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  end=$((SECONDS + 120))
  until grep -q "Initializing OpenGL" "$work/out2.txt" || [ "$SECONDS" -ge "$end" ]; do sleep 0.05; done
  kill -TERM "$pid"
  wait_exit "$pid" 120
  ended_cleanly "SIGTERM while loading" 143 "$work/err2.txt"
else
  fail "no setup dialog (loading)"; kill "$pid" 2>/dev/null
fi

# --- during the show: once the tune plays (the main loop starts it just before its first frame) ---
# The tune goes to a file (SDL's disk audio driver, which announces itself on standard error).
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" "$run/starwane" >"$work/out3.txt" 2>"$work/err3-all.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  if wait_sound "$work/played.raw" 120; then
    kill -0 "$pid" 2>/dev/null && pass "the show is running" || fail "the show ended on its own"
    kill -INT "$pid"
    wait_exit "$pid" 120
    grep -vE "^CRITICAL: (You are using the SDL disk i/o audio driver!| Writing to file \[)" "$work/err3-all.txt" \
      >"$work/err3.txt"
    ended_cleanly "Ctrl+C during the show" 130 "$work/err3.txt"
  else
    fail "the show never started"; kill "$pid" 2>/dev/null
  fi
else
  fail "no setup dialog (show)"; kill "$pid" 2>/dev/null
fi

# --- at the error box (no data.pak) ---
"$work/nopack/starwane" >"$work/out4.txt" 2>"$work/err4.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  keys "${dialog%% *}" Return
  if box=$(wait_window "Orvelant demo system" 120); then
    wait_viewable "${box%% *}" 120 || fail "the error box was never shown"
    kill -TERM "$pid"
    wait_exit "$pid" 120
    # The error itself was on standard error before the signal; nothing else may follow it.
    grep -v "^Orvelant demo system: " "$work/err4.txt" >"$work/err4-rest.txt"
    ended_cleanly "SIGTERM at the error box" 143 "$work/err4-rest.txt"
  else
    fail "no error box"; kill "$pid" 2>/dev/null
  fi
else
  fail "no setup dialog (error box)"; kill "$pid" 2>/dev/null
fi

# --- the studio, paused while it paints the captions again: its painter and folder go with it ---
if [ -x "$bin/starwane-studio" ] && [ -x "$bin/orvelant_captiongen" ]; then
  cp -r "$(cd "$(dirname "$0")/../../assets" && pwd)" "$work/assets"
  mkdir -p "$work/tmp"
  TMPDIR="$work/tmp" "$bin/starwane-studio" --size 320x180 --at 20 --assets "$work/assets" \
    >"$work/out5.txt" 2>"$work/err5.txt" &
  pid=$!
  if window=$(studio_window 120) && wait_line "$work/err5.txt" '^studio: 20\.000 s' 120 >/dev/null; then
    keys "$window" space
    wait_line "$work/err5.txt" '\| paused' 60 >/dev/null || fail "the studio did not pause"
    cp "$work/assets/Captions.txt" "$work/Captions.new" && mv "$work/Captions.new" "$work/assets/Captions.txt"
    wait_line "$work/out5.txt" 'painting the captions of Captions.txt again' 60 >/dev/null ||
      fail "the studio did not paint the captions again: $(tail -3 "$work/out5.txt")"
    kill -INT "$pid"
    wait_exit "$pid" 120
    [ "$status" = 130 ] && pass "Ctrl+C in the paused studio: ended with status 130" ||
      fail "Ctrl+C in the paused studio: status $status, not 130"
    left=$(ls -A "$work/tmp")
    [ -z "$left" ] && pass "the studio's painted folder is gone" || fail "the studio left $left in the temporary folder"
    pgrep -f "$work/tmp" >/dev/null && fail "a caption painter is left running"
  else
    fail "the studio showed no window at 20 s: $(tail -3 "$work/err5.txt")"; kill "$pid" 2>/dev/null
  fi
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
