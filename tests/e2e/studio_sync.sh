#!/usr/bin/env bash
# End to end: starwane-studio shaping the show with a sync editor (a scripted one of the tests' own). The
# studio connects, asks for the show's tracks and says so in its status; paused in the landscape, a key the
# editor sets on the exposure track darkens the picture at once (F12 before and after); the editor's save
# writes the track file into the assets folder; the editor's row moves the show there; the studio's own
# jumps while paused move the editor's cursor; and the studio quits with 0 once the editor has gone.
#   bash studio_sync.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
e2e_open "$1"
source_assets=$(cd "$(dirname "$0")/../../assets" && pwd)
pid=""
editor_pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null; rm -rf "$work"' EXIT
stats="$bin/orvelant_picture_stats"
mean() { "$stats" "$1" | awk '{ print int($2) }'; }
# Waits up to $4 seconds until file $1 holds $3 lines matching $2.
wait_count() {
  local end=$((SECONDS + $4))
  until [ "$(grep -Ec "$2" "$1")" -ge "$3" ]; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
# Waits up to $2 seconds until the studio has said it saved $1 F12 pictures.
wait_saved() { wait_count "$work/out.txt" 'Studio: saved .*frame_' "$1" "$2"; }

cp -r "$source_assets" "$work/assets"
mkdir -p "$work/shots"
mkfifo "$work/editor.in"
# Row 1064 is beat 133: bar 34's second beat.
"$bin/orvelant_sync_editor" accept hdr:exposure go key hdr:exposure 0 0.15 0 go save go row 1064 \
  expect-row 0 expect-row 144 \
  <"$work/editor.in" >"$work/editor.txt" 2>&1 &
editor_pid=$!
exec 3>"$work/editor.in"
pid=$editor_pid
port=$(wait_line "$work/editor.txt" '^listening [0-9]+$' 60 | awk '{ print $2 }')
[ -n "$port" ] || { fail "the test editor did not listen: $(cat "$work/editor.txt")"; echo "$failures failure(s)"; exit 1; }

"$bin/starwane-studio" --size 320x180 --at 50 --assets "$work/assets" --shots "$work/shots" \
  --sync "127.0.0.1:$port" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
if ! window=$(studio_window 120) || ! wait_line "$work/err.txt" "sync on 127\.0\.0\.1:$port" 120 >/dev/null; then
  fail "the studio did not connect to the editor: $(tail -5 "$work/err.txt"; cat "$work/editor.txt")"
  echo "$failures failure(s)"; exit 1
fi
if grep -q '^done accept' "$work/editor.txt"; then
  pass "the studio connected and asked for its tracks (up to hdr:exposure)"
else
  fail "the editor did not see the track requests: $(cat "$work/editor.txt")"
fi

keys "$window" space
wait_line "$work/err.txt" '\| paused' 60 >/dev/null || fail "the studio did not pause"
keys "$window" F12
if wait_saved 1 60; then
  mv "$(ls "$work/shots"/frame_*.png | head -1)" "$work/before.png"
else
  fail "no picture before the key"
fi

echo go >&3
wait_line "$work/editor.txt" '^done key' 60 >/dev/null || fail "the editor could not send the key"
# The key is drawn when the studio next polls; the status line is written for the redraw.
keys "$window" F12
if wait_saved 2 60 && after=$(ls "$work/shots"/frame_*.png | head -1); then
  lighter=$(mean "$work/before.png")
  darker=$(mean "$after")
  if [ "$darker" -lt $((lighter - 20)) ]; then
    pass "an exposure key from the editor darkens the paused picture (mean $lighter -> $darker)"
  else
    fail "the exposure key did not change the picture (mean $lighter -> $darker)"
  fi
else
  fail "no picture after the key"
fi

echo go >&3
track="$work/assets/Sync/show_hdr-3Aexposure.track"
if wait_file "$track" 60 && [ "$(stat -c %s "$track")" -eq 13 ]; then
  pass "the editor's save wrote $(basename "$track") (one key, 13 bytes)"
else
  fail "the editor's save wrote no track file: $(ls -R "$work/assets/Sync" 2>&1)"
fi

echo go >&3
if wait_line "$work/err.txt" '^studio: [0-9.]+ s \| 34:2 ' 120 >/dev/null; then
  pass "the editor's row 1064 moved the show to bar 34, beat 2"
else
  fail "the editor's row did not move the show: $(tail -3 "$work/err.txt")"
fi

# Paused, Home goes to 0 s (before the first beat: row 0) and Shift+Right to 10 s (beat 18, row 144).
keys "$window" Home
wait_count "$work/editor.txt" '^done expect-row' 1 60 && keys "$window" shift+Right
if wait_count "$work/editor.txt" '^done expect-row' 2 60; then
  pass "the studio's jumps while paused moved the editor's cursor (rows 0 and 144)"
else
  fail "the editor was not told the rows of the studio's jumps: $(tail -3 "$work/editor.txt")"
fi

exec 3>&-
wait_line "$work/err.txt" "sync waiting for 127\.0\.0\.1:$port" 60 >/dev/null ||
  fail "the studio did not notice the editor had gone"
keys "$window" Escape
wait_exit "$pid" 60
if [ "$status" = 0 ]; then pass "the studio quit with 0"; else fail "the studio ended with $status"; fi
pid=""
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
