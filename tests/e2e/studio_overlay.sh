#!/usr/bin/env bash
# End to end: the studio's overlay on the test display, driven by the pointer
# and keys. With the show paused, a click on the timeline strip jumps to the
# time under the pointer, a drag scrubs through times on its way, F12's
# picture carries no overlay, Tab hides the strip (its pixels become the
# show's again, those of F12's picture), a shader that fails its reload shows
# its file:line:column message in a panel (pixels there, and the overlay's
# record of the text it drew) until it reloads fine, as does a show file with
# an error, a minimised window's empty display draws nothing and the studio
# goes on, F1 shows the keys and F2 names a render target.
#   bash studio_overlay.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
e2e_open "$1"
source_assets=$(cd "$(dirname "$0")/../../assets" && pwd)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
stats="$bin/orvelant_picture_stats"
width=480
height=270

cp -r "$source_assets" "$work/assets"
mkdir -p "$work/shots"
"$bin/starwane-studio" --size ${width}x$height --at 20 --assets "$work/assets" --shots "$work/shots" \
  >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

if ! window=$(studio_window 120) || ! wait_line "$work/err.txt" '^studio: 20\.000 s' 120 >/dev/null; then
  fail "the studio showed no window at 20 s: $(tail -5 "$work/err.txt")"
  echo "$failures failure(s)"; exit 1
fi
keys "$window" space
wait_line "$work/err.txt" '\| paused' 60 >/dev/null || fail "Space did not pause: $(tail -3 "$work/err.txt")"
# The strip's span and place once the tune's waveform is in (its length may widen the strip's time).
wait_line "$work/out.txt" "the tune's waveform is drawn" 120 >/dev/null || fail "the waveform was never drawn"
strip_line() { wait_line "$work/out.txt" 'overlay shows \(strip\): ' 60 | sed 's/.*(strip): //'; }
if ! strip=$(strip_line); then
  fail "the overlay never said where its strip is: $(tail -5 "$work/out.txt")"
  echo "$failures failure(s)"; exit 1
fi
read -r from to top <<<"$(awk '{ print $1, $3, $11 }' <<<"$strip")"
pass "the strip shows $from to $to s, from y $top"
# The time under pixel column x, and the demo time of the last status line.
time_at() { awk -v x="$1" -v a="$from" -v b="$to" -v w="$width" 'BEGIN { printf "%.3f", a + x / w * (b - a) }'; }
now() { grep -E '^studio: ' "$work/err.txt" | tail -1 | awk '{ print $2 }'; }
row=$(awk -v t="$top" -v h="$height" 'BEGIN { printf "%d", (t + h) / 2 }')
# The picture F12 writes into folder $1 (emptied before), once the studio logging to $2 said it saved it.
new_shot() {
  local end=$((SECONDS + 120)) found
  while :; do
    found=$(ls "$1"/*.png 2>/dev/null | head -1)
    [ -n "$found" ] && grep -q "Studio: saved .*$(basename "$found")" "$2" && { echo "$found"; return 0; }
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
# Screen dumps of the window, cropped to a region (x y w h) as PNG.
dump() {
  xwd -silent -id "$window" -out "$work/dump.xwd" && ffmpeg -v error -y -i "$work/dump.xwd" "$1"
}
crop() { ffmpeg -v error -y -i "$1" -vf "crop=$4:$5:$2:$3" "$6"; }
# Waits up to $4 seconds until file $1 holds $3 lines matching $2.
wait_count() {
  local end=$((SECONDS + $4))
  until [ "$(grep -Ec "$2" "$1")" -ge "$3" ]; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
diff_mad() { "$stats" --diff "$1" "$2" | awk '{ print ($2 + $3 + $4) / 3 }'; }

# --- a click jumps to the time under the pointer ---
x=150
want=$(time_at $x)
xdotool mousemove --window "$window" $x "$row" click 1
if line=$(wait_line "$work/err.txt" '^studio: [0-9.]+ s .*\| paused' 60) &&
  wait_line "$work/out.txt" "the jump to [0-9.]+ s was shown" 60 >/dev/null; then
  sleep_until=$((SECONDS + 60))
  until awk -v t="$(now)" -v w="$want" 'BEGIN { exit !((t - w) ^ 2 < (1 / 30) ^ 2) }' || [ "$SECONDS" -ge "$sleep_until" ]; do
    sleep 0.1
  done
  awk -v t="$(now)" -v w="$want" 'BEGIN { exit !((t - w) ^ 2 < (1 / 30) ^ 2) }' &&
    pass "a click at x $x went to $(now) s (the time under it: $want s)" ||
    fail "a click at x $x went to $(now) s, not $want s"
else
  fail "a click on the strip did not jump: $(tail -3 "$work/err.txt")"
fi

# --- a drag scrubs: the picture is shown at times on the way, and ends under the pointer ---
jumps=$(grep -c 'the jump to' "$work/out.txt")
xdotool mousemove --window "$window" 200 "$row" mousedown 1
for x in 220 240 260 280 300; do
  xdotool mousemove --window "$window" $x "$row"
  # Each step is waited for: the jump to it shown (a later step may replace one under way).
  wait_line "$work/err.txt" "^studio: $(time_at $x | sed 's/\./\\./')" 60 >/dev/null
done
xdotool mouseup 1
want=$(time_at 300)
shown=$(grep -o 'the jump to [0-9.]* s was shown' "$work/out.txt" | tail -n +$((jumps + 1)) | awk '{ print $4 }' | sort -u)
count=$(wc -w <<<"$shown")
awk -v t="$(now)" -v w="$want" 'BEGIN { exit !((t - w) ^ 2 < (1 / 30) ^ 2) }' && [ "$count" -ge 3 ] &&
  pass "a drag from x 200 to 300 showed $count times on its way and ended at $(now) s" ||
  fail "the drag showed $count times ($(tr '\n' ' ' <<<"$shown")) and ended at $(now) s, not $want s"

# --- F12's picture carries no overlay; Tab hides the strip and the show's pixels come back ---
xdotool mousemove --window "$window" $((width / 2)) 20
time=$(now)
shot="$work/shots/$(printf 'frame_%07.3f.png' "$time")"
rm -f "$shot"
keys "$window" F12
if wait_file "$shot" 120 && wait_line "$work/out.txt" "Studio: saved .*$(basename "$shot")" 60 >/dev/null; then
  strip_height=$((height - top))
  dump "$work/with.png"
  crop "$work/with.png" 0 "$top" $width $strip_height "$work/with-strip.png"
  crop "$shot" 0 "$top" $width $strip_height "$work/shot-strip.png"
  keys "$window" Tab
  wait_line "$work/out.txt" 'overlay no longer shows its strip' 60 >/dev/null || fail "Tab did not hide the strip"
  dump "$work/without.png"
  crop "$work/without.png" 0 "$top" $width $strip_height "$work/without-strip.png"
  shown=$(diff_mad "$work/with-strip.png" "$work/shot-strip.png")
  hidden=$(diff_mad "$work/without-strip.png" "$work/shot-strip.png")
  awk -v s="$shown" -v h="$hidden" 'BEGIN { exit !(s > 8 && h < 1) }' &&
    pass "the strip's area lies $shown/255 from F12's picture with the strip, $hidden/255 after Tab hid it" ||
    fail "the strip's area lies $shown/255 from F12's picture with the strip, $hidden/255 after Tab"
  keys "$window" Tab
  wait_line "$work/out.txt" 'overlay shows \(strip\)' 60 >/dev/null
else
  fail "F12 wrote no picture at $time s"
fi

# --- a shader that fails its reload: its message on screen until it reloads fine ---
dump "$work/before-error.png"
cp "$work/assets/Plasma.mat" "$work/Plasma.mat.good"
sed 's/gl_FragColor = fadeColor;/gl_FragColor = fadeColor + missingThing;/' "$work/assets/Plasma.mat" >"$work/Plasma.mat.new"
grep -q 'missingThing' "$work/Plasma.mat.new" || fail "the test's edit of Plasma.mat found nothing to change"
mv "$work/Plasma.mat.new" "$work/assets/Plasma.mat"
if line=$(wait_line "$work/out.txt" 'overlay shows \(errors\): Plasma\.mat:[0-9]+:[0-9]+: ' 120); then
  pass "the overlay shows: ${line#*: }"
  dump "$work/error.png"
  crop "$work/before-error.png" 0 0 $((width / 2)) 30 "$work/before-panel.png"
  crop "$work/error.png" 0 0 $((width / 2)) 30 "$work/error-panel.png"
  changed=$(diff_mad "$work/before-panel.png" "$work/error-panel.png")
  awk -v c="$changed" 'BEGIN { exit !(c > 5) }' && pass "the panel's area changed by $changed/255" ||
    fail "the panel's area changed by only $changed/255"
  cp "$work/Plasma.mat.good" "$work/Plasma.mat.new" && mv "$work/Plasma.mat.new" "$work/assets/Plasma.mat"
  wait_line "$work/out.txt" 'overlay no longer shows its errors' 120 >/dev/null &&
    pass "the message went once the shader reloaded fine" || fail "the message stayed after a good reload"
else
  fail "the failing shader's message was not shown: $(grep -E 'overlay|Plasma' "$work/out.txt" | tail -5)"
fi

# --- a show file with an error: its file:line:column message in the panel until it reloads fine ---
cp "$work/assets/Show.txt" "$work/Show.txt.good"
{ cat "$work/Show.txt.good"; echo "captoin 12 3"; } >"$work/Show.txt.new"
mv "$work/Show.txt.new" "$work/assets/Show.txt"
if line=$(wait_line "$work/out.txt" 'overlay shows \(errors\): Show\.txt:[0-9]+:1: unknown word' 120); then
  pass "the overlay shows: ${line#*: }"
  cp "$work/Show.txt.good" "$work/Show.txt.new" && mv "$work/Show.txt.new" "$work/assets/Show.txt"
  wait_count "$work/out.txt" 'overlay no longer shows its errors' 2 120 &&
    pass "the show file's message went once it reloaded fine" || fail "the show file's message stayed after a good reload"
else
  fail "the show file's error was not shown: $(grep -E 'overlay|Show' "$work/out.txt" | tail -5)"
fi

# --- minimised with the overlay up (the GUI's display is 0 x 0): the studio goes on, the strip comes back ---
hidden=$(grep -c 'overlay no longer shows its strip' "$work/out.txt")
shown=$(grep -c 'overlay shows (strip)' "$work/out.txt")
xprop -id "$window" -f _NET_WM_STATE 32a -set _NET_WM_STATE _NET_WM_STATE_HIDDEN
if wait_count "$work/out.txt" 'overlay no longer shows its strip' $((hidden + 1)) 60; then
  xprop -id "$window" -remove _NET_WM_STATE
  wait_count "$work/out.txt" 'overlay shows \(strip\)' $((shown + 1)) 60 &&
    pass "minimised, the overlay drew nothing; restored, its strip is back" ||
    fail "the strip did not come back after the window was restored: $(tail -2 "$work/out.txt")"
else
  fail "minimised, the overlay said nothing$(kill -0 "$pid" 2>/dev/null || echo "; the studio ended: $(tail -2 "$work/err.txt")")"
fi

# --- F1 lists the keys, F2 shows a render target with its name and size ---
keys "$window" F1
wait_line "$work/out.txt" 'overlay shows \(help\)' 60 >/dev/null && pass "F1 shows the keys" || fail "F1 showed nothing"
keys "$window" F1 F2
if line=$(wait_line "$work/out.txt" 'overlay shows \(target\): terrain HDR, '"$width x $height" 60); then
  pass "F2 shows ${line#*: }"
else
  fail "F2 did not show the terrain's HDR target: $(grep 'target' "$work/out.txt" | tail -2)"
fi

# --- the show draws the same with the overlay and without: F12 at the third instant of the show, here with
# every panel up, and in a run without the overlay ---
rm -f "$work"/shots/*.png
keys "$window" F1 Home Next Next Next F12
shot=$(new_shot "$work/shots" "$work/out.txt") || fail "F12 wrote no picture at the third instant"

keys "$window" Escape
wait_exit "$pid" 120
[ "$status" = 0 ] && pass "Escape quit with 0" || fail "the studio ended with $status"
pid=""
grep -q 'the overlay took [0-9.]* ms a frame' "$work/out.txt" && pass "$(grep -o 'the overlay took.*' "$work/out.txt")" ||
  fail "the overlay's cost was not said"
mkdir -p "$work/plain"
"$bin/starwane-studio" --size ${width}x$height --at 20 --assets "$work/assets" --shots "$work/plain" --no-overlay \
  >"$work/plain-out.txt" 2>"$work/plain-err.txt" &
pid=$!
if window=$(studio_window 120) && wait_line "$work/plain-err.txt" '^studio: 20\.000 s' 120 >/dev/null; then
  keys "$window" space
  wait_line "$work/plain-err.txt" '\| paused' 60 >/dev/null
  keys "$window" Home Next Next Next F12
  if plain=$(new_shot "$work/plain" "$work/plain-out.txt") && [ "$(basename "$plain")" = "$(basename "$shot")" ]; then
    apart=$("$stats" --diff "$shot" "$plain")
    awk '{ exit !($6 <= 2) }' <<<"$apart" && pass "F12 at the third instant with the overlay and without: $apart" ||
      fail "the show drew otherwise with the overlay: $apart"
  else
    fail "without the overlay F12 wrote ${plain:-nothing}, not $(basename "$shot")"
  fi
  keys "$window" Escape
  wait_exit "$pid" 120
else
  fail "the studio without the overlay showed no window: $(tail -3 "$work/plain-err.txt")"
fi
pid=""
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
