#!/usr/bin/env bash
# End to end: starwane-studio on the test display, driven by keys. Pause stops
# demo time (a step from the paused time lands exactly 1 s later), F12 writes
# the picture named after its demo time, Page Down lands on the next instant
# of the show, a material script saved by writing a new file and renaming it
# is reloaded and changes the picture, a shader that fails keeps the previous
# picture and is reported as file:line:column, a script with an unknown key
# fails its reload and changes nothing, Left and Home go back in time,
# Shift+. steps to the next bar, a caption moved in the saved show file shows
# at its new time, an error in the show file keeps the show and is reported,
# new words for a caption in Captions.txt are painted and shown, a burst of
# Right presses makes one jump to its last target, Escape after a long burst
# quits with 0 at once, and --quit-at past a loop's end ends the run.
#   bash studio.sh <bin-dir>
set -uo pipefail
bin=$(cd "$1" && pwd)
source_assets=$(cd "$(dirname "$0")/../../assets" && pwd)
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
# What these checks depend on, whoever starts them: the X display, no sound device, Mesa's software renderer.
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
failures=0

# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"

stats="$bin/orvelant_picture_stats"
mean() { "$stats" "$1" | awk '{ print int($2) }'; }

cp -r "$source_assets" "$work/assets"
mkdir -p "$work/shots"
"$bin/starwane-studio" --size 320x180 --at 8.5 --assets "$work/assets" --shots "$work/shots" \
  >"$work/out.txt" 2>"$work/err.txt" &
pid=$!

if ! window=$(studio_window 120) || ! wait_line "$work/err.txt" '^studio: 8\.500 s' 120 >/dev/null; then
  fail "the studio showed no window at 8.5 s: $(tail -5 "$work/err.txt")"
  echo "$failures failure(s)"; exit 1
fi
pass "the studio's window shows 8.5 s"

# --- pause, step, picture ---
keys "$window" space
if line=$(wait_line "$work/err.txt" '\| paused' 60); then
  paused=$(awk '{ print $2 }' <<<"$line")
  stepped=$(awk -v t="$paused" 'BEGIN { printf "%.3f", t + 1 }')
  keys "$window" Right
  if wait_line "$work/err.txt" "^studio: ${stepped//./\\.} s .*\| paused" 60 >/dev/null; then
    pass "paused at $paused s, a step lands on $stepped s"
  else
    fail "paused at $paused s, the step did not land on $stepped s: $(tail -3 "$work/err.txt")"
  fi
  keys "$window" F12
  shot="$work/shots/$(printf 'frame_%07.3f.png' "$stepped")"
  wait_file "$shot" 120 && pass "F12 wrote $(basename "$shot")" || fail "F12 wrote no $(basename "$shot"): $(ls "$work/shots")"
else
  fail "Space did not pause: $(tail -3 "$work/err.txt")"
fi

# --- the next instant: the captions at 8, 10, 11.5, 13, 14.5, 18 s ---
now=$(grep -E '^studio: ' "$work/err.txt" | tail -1 | awk '{ print $2 }')
next=$(printf '%s\n' 8 10 11.5 13 14.5 18 25 27 | awk -v t="$now" '$1 > t + 0.000001 { printf "%.3f", $1; exit }')
keys "$window" Next
if wait_line "$work/err.txt" "^studio: ${next//./\\.} s" 120 >/dev/null; then
  pass "Page Down went from $now s to the next instant, $next s"
else
  fail "Page Down from $now s did not land on $next s: $(tail -3 "$work/err.txt")"
fi

# --- live reload: a script saved as a new file renamed over the old one ---
shot="$work/shots/$(printf 'frame_%07.3f.png' "$next")"
keys "$window" F12
wait_file "$shot" 120 || fail "F12 wrote no picture at $next s"
before=$(mean "$shot")
rm -f "$shot"
sed 's/gl_FragColor = fadeColor;/gl_FragColor = vec4(1.0);/' "$work/assets/Plasma.mat" >"$work/assets/Plasma.mat.new"
grep -q 'gl_FragColor = vec4(1.0);' "$work/assets/Plasma.mat.new" || fail "the test's edit of Plasma.mat found nothing to change"
mv "$work/assets/Plasma.mat.new" "$work/assets/Plasma.mat"
if line=$(wait_line "$work/out.txt" 'first frame with the reload was shown' 120); then
  pass "reloaded: $line"
  keys "$window" F12
  if wait_file "$shot" 120; then
    after=$(mean "$shot")
    [ "$after" -gt 240 ] && [ "$before" -lt 200 ] && pass "the edited overlay shows: mean $before before, $after after" ||
      fail "the picture did not turn white: mean $before before, $after after"
  else
    fail "F12 wrote no picture after the reload"
  fi
else
  fail "the renamed save was not reloaded: $(tail -5 "$work/out.txt")"
fi

# --- a shader that fails: the previous one stays, the error names file, line and column ---
rm -f "$shot"
sed -i 's/gl_FragColor = vec4(1.0);/gl_FragColor = vec4(1.0) + missingThing;/' "$work/assets/Plasma.mat"
if line=$(wait_line "$work/out.txt" '^Plasma\.mat:[0-9]+:[0-9]+: ' 120); then
  pass "the failing shader is reported: $line"
  wait_line "$work/err.txt" '\| reload failed ' 30 >/dev/null && pass "the status says the reload failed" ||
    fail "the status does not say the reload failed: $(tail -2 "$work/err.txt")"
  keys "$window" F12
  wait_file "$shot" 120 && [ "$(mean "$shot")" -gt 240 ] && pass "the previous shader stays on screen" ||
    fail "the picture after the failed reload is not the previous one"
else
  fail "the failing shader was not reported as file:line:column: $(tail -5 "$work/out.txt")"
fi

# --- a script mistake that start-up only warns about fails a reload: nothing of the script is taken ---
rm -f "$shot"
sed -e 's/gl_FragColor = vec4(1.0) + missingThing;/gl_FragColor = vec4(0.0);/' -e '/^material/a\    glitter 1' \
  "$work/assets/Plasma.mat" >"$work/assets/Plasma.mat.new"
mv "$work/assets/Plasma.mat.new" "$work/assets/Plasma.mat"
if line=$(wait_line "$work/out.txt" '^Plasma\.mat:[0-9]+: Unknown contenttype: glitter' 120); then
  pass "the script's mistake is reported: $line"
  wait_line "$work/err.txt" '\| reload failed .*Plasma\.mat:[0-9]+: Unknown' 30 >/dev/null &&
    pass "the status says the reload failed" || fail "the status does not say the reload failed: $(tail -2 "$work/err.txt")"
  keys "$window" F12
  wait_file "$shot" 120 && [ "$(mean "$shot")" -gt 240 ] && pass "the previous material and shader stay on screen" ||
    fail "the script with a mistake changed the picture"
else
  fail "the script's mistake was not reported as file:line: $(tail -5 "$work/out.txt")"
fi

# --- back in time and home, through the engine's seek ---
now=$(grep -E '^studio: ' "$work/err.txt" | tail -1 | awk '{ print $2 }')
back=$(awk -v t="$now" 'BEGIN { printf "%.3f", t - 1 }')
keys "$window" Left
wait_line "$work/err.txt" "^studio: ${back//./\\.} s" 120 >/dev/null && pass "Left went back from $now s to $back s" ||
  fail "Left from $now s did not land on $back s: $(tail -3 "$work/err.txt")"
keys "$window" Home
wait_line "$work/err.txt" '^studio: 0\.000 s' 120 >/dev/null && pass "Home went back to 0 s" ||
  fail "Home did not go back to 0 s: $(tail -3 "$work/err.txt")"

# --- the show file: two bars on, a caption moved there by saving the file, then a save with an error ---
# The overlay as it was first, so that the captions can be seen again.
reloads=$(grep -c 'Studio: reloaded' "$work/out.txt")
cp "$source_assets/Plasma.mat" "$work/assets/Plasma.mat.new" && mv "$work/assets/Plasma.mat.new" "$work/assets/Plasma.mat"
end=$((SECONDS + 120))
until [ "$(grep -c 'Studio: reloaded' "$work/out.txt")" -gt "$reloads" ] || [ "$SECONDS" -ge "$end" ]; do sleep 0.1; done
keys "$window" shift+period
wait_line "$work/err.txt" '^studio: [0-9.]+ s \| 1:1 ' 120 >/dev/null && pass "Shift+. went to bar 1's downbeat" ||
  fail "Shift+. did not land on 1:1: $(tail -2 "$work/err.txt")"
keys "$window" shift+period
if line=$(wait_line "$work/err.txt" '^studio: [0-9.]+ s \| 2:1 ' 120); then
  pass "Shift+. went on to bar 2: $line"
  now=$(awk '{ print $2 }' <<<"$line")
  shot="$work/shots/$(printf 'frame_%07.3f.png' "$now")"
  rm -f "$shot"
  keys "$window" F12
  wait_file "$shot" 120 || fail "F12 wrote no picture at $now s"
  band_before=$("$stats" "$shot" 0.1 0.65 0.9 0.9 | awk '{ print $2 }')
  rm -f "$shot"
  # The last caption, which rests in the lower band from 185 s, is moved to 1 s.
  sed 's/^\(caption corin-says\.png *\)185 /\11 /' "$work/assets/Show.txt" >"$work/Show.txt.new"
  grep -q '^caption corin-says\.png *1 ' "$work/Show.txt.new" || fail "the test's edit of Show.txt found nothing to change"
  mv "$work/Show.txt.new" "$work/assets/Show.txt"
  if line=$(wait_line "$work/out.txt" 'reloaded the show file' 120); then
    pass "$line"
    wait_line "$work/out.txt" 'first frame with the reload was shown' 30 >/dev/null
    keys "$window" F12
    if wait_file "$shot" 120; then
      band_after=$("$stats" "$shot" 0.1 0.65 0.9 0.9 | awk '{ print $2 }')
      awk -v a="$band_before" -v b="$band_after" 'BEGIN { exit !(b > a + 3) }' &&
        pass "the moved caption shows at $now s: lower band mean $band_before before, $band_after after" ||
        fail "the moved caption does not show: lower band mean $band_before before, $band_after after"
    else
      fail "F12 wrote no picture after the show file's reload"
    fi
    rm -f "$shot"
    sed -i 's/^\(caption corin-says\.png.*\)$/\1 sparkle/' "$work/assets/Show.txt"
    if line=$(wait_line "$work/out.txt" '^Show\.txt:[0-9]+:[0-9]+: unknown word "sparkle"' 120); then
      pass "the show file's error is reported: $line"
      wait_line "$work/err.txt" '\| reload failed .*Show\.txt:' 30 >/dev/null && pass "the status says the reload failed" ||
        fail "the status does not say the show file's reload failed: $(tail -2 "$work/err.txt")"
      keys "$window" F12
      wait_file "$shot" 120 &&
        awk -v b="$band_after" -v c="$("$stats" "$shot" 0.1 0.65 0.9 0.9 | awk '{ print $2 }')" 'BEGIN { exit !(c > b - 1) }' &&
        pass "the show stays as it was after the failed reload" || fail "the picture changed after the failed reload"
    else
      fail "the show file's error was not reported as file:line:column: $(tail -5 "$work/out.txt")"
    fi
    # New words for that caption: its picture is painted again and replaces the one on screen.
    rm -f "$shot"
    sed 's/^corin-says\.png:.*$/corin-says.png: WWWWWWWW WWWWWWWW | MMMMMMMM MMMMMMMM/' "$work/assets/Captions.txt" \
      >"$work/Captions.txt.new"
    mv "$work/Captions.txt.new" "$work/assets/Captions.txt"
    if line=$(wait_line "$work/out.txt" 'Studio: painted the captions again in [0-9]+ ms; 1 changed, 1 on screen' 120); then
      pass "$line"
      keys "$window" F12
      if wait_file "$shot" 120; then
        band_words=$("$stats" "$shot" 0.1 0.65 0.9 0.9 | awk '{ print $2 }')
        awk -v b="$band_after" -v w="$band_words" 'BEGIN { exit !(w > b + 3) }' &&
          pass "the new words show: lower band mean $band_after before, $band_words after" ||
          fail "the new words do not show: lower band mean $band_after before, $band_words after"
      else
        fail "F12 wrote no picture after the captions were painted again"
      fi
    else
      fail "the saved Captions.txt was not painted again: $(tail -5 "$work/out.txt")"
    fi
  else
    fail "the saved show file was not reloaded: $(tail -5 "$work/out.txt")"
  fi
else
  fail "Shift+. did not land on 2:1: $(tail -2 "$work/err.txt")"
fi

# --- a burst of keys: one jump to the last target; Escape at once after a long burst ---
now=$(grep -E '^studio: ' "$work/err.txt" | tail -1 | awk '{ print $2 }')
target=$(awk -v t="$now" 'BEGIN { printf "%.3f", t + 10 }')
lines=$(grep -c '^studio: ' "$work/err.txt")
# Sent at once: a step on goes on from the frames drawn (a tenth of a second here), so keys further apart
# than that are jumps of their own.
# shellcheck disable=SC2046
keys "$window" --delay 0 $(printf 'Right %.0s' $(seq 10))
if wait_line "$work/err.txt" "^studio: ${target//./\\.} s" 120 >/dev/null; then
  shown=$(tail -n +"$((lines + 1))" "$work/err.txt" | grep -cE '^studio: [0-9.]+ s')
  [ "$shown" -le 3 ] && pass "10 quick Right presses made $shown jump(s), landing on $target s" ||
    fail "10 quick Right presses drew $shown jumps one by one"
else
  fail "10 quick Right presses from $now s did not land on $target s: $(tail -3 "$work/err.txt")"
fi
# Presses 0.1 s apart arrive while jumps are drawn (served one by one, they kept the studio busy for
# 26 s after the Escape at this size).
# shellcheck disable=SC2046
keys "$window" --delay 100 $(printf 'Right %.0s' $(seq 40)) Escape
sent=$SECONDS
wait_exit "$pid" 5
[ "$status" = 0 ] && pass "Escape after 40 Right presses ends the studio with status 0 within 5 s" ||
  fail "Escape after 40 Right presses: status $status after $((SECONDS - sent)) s"
pid=""

# --- --quit-at past the end of a loop, which the loop never reaches: the run ends at the loop's end ---
"$bin/starwane-studio" --size 160x90 --at 1 --loop 1 2 --quit-at 5 --no-assets >"$work/out2.txt" 2>"$work/err2.txt" &
pid=$!
wait_exit "$pid" 120
[ "$status" = 0 ] && grep -q '^studio: ' "$work/err2.txt" && pass "--quit-at past a loop's end ends the run with 0" ||
  fail "--quit-at 5 with --loop 1 2: status $status: $(tail -3 "$work/err2.txt")"
pid=""

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
