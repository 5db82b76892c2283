#!/usr/bin/env bash
# End to end: the studio's pictures are the capture's. Paused at a caption's hand-over to the drift (42 s) and in
# the greetings (150 s), F12 writes the picture starwane-capture writes for that time, within 1/255 a channel.
# Then, paused at 149 s, the show file is saved with the greeting handed to the drift at 148.4 s fading out
# instead: the picture drawn anew at once is the edited show's (F12's, within 2/255 and nowhere more than
# 16/255 off), whose drift does not hold that greeting, which the picture on screen had taken in.
#   bash studio_pictures.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
e2e_open "$1"
stats="$bin/orvelant_picture_stats"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
size=320x180

"$bin/starwane-capture" --at 42,150 --size $size --out "$work/capture" >"$work/capture.txt" 2>&1 ||
  { fail "the capture failed: $(tail -3 "$work/capture.txt")"; echo "$failures failure(s)"; exit 1; }

cp -r "$(dirname "$0")/../../assets" "$work/assets"
mkdir -p "$work/shots"
"$bin/starwane-studio" --size $size --no-overlay --at 1 --assets "$work/assets" --shots "$work/shots" \
  >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
if ! window=$(studio_window 120) || ! wait_line "$work/err.txt" '^studio: ' 120 >/dev/null; then
  fail "the studio showed no window: $(tail -5 "$work/err.txt")"
  echo "$failures failure(s)"; exit 1
fi
keys "$window" space
wait_line "$work/err.txt" '\| paused' 120 >/dev/null || fail "Space did not pause: $(tail -3 "$work/err.txt")"

# within <a> <b> <bound> [<most>]: the pictures' mean difference per channel is at most the bound, and no
# pixel's differs by more than <most> (255 unless given); prints the figures.
within() {
  local mad
  mad=$("$stats" --diff "$1" "$2" 2>&1)
  echo "$mad"
  awk -v b="$3" -v m="${4:-255}" '$1 == "mad" { exit !($2 <= b && $3 <= b && $4 <= b && $6 <= m) } $1 != "mad" { exit 1 }' \
    <<<"$mad"
}
# goto <tens> <ones>: Home, then whole seconds by keys (each lands exactly), waiting until it is on screen.
goto() {
  local list=(Home) i
  for ((i = 0; i < $1; i++)); do list+=(shift+Right); done
  for ((i = 0; i < $2; i++)); do list+=(Right); done
  keys "$window" "${list[@]}"
  wait_line "$work/err.txt" "^studio: $(($1 * 10 + $2))\.000 s .*\| paused" 120 >/dev/null
}

for moment in "15 0" "4 2"; do
  read -r tens ones <<<"$moment"
  time=$((tens * 10 + ones))
  name=$(printf 'frame_%07.3f.png' "$time")
  goto "$tens" "$ones" || fail "the keys did not land on $time s: $(tail -2 "$work/err.txt")"
  keys "$window" F12
  if wait_file "$work/shots/$name" 120 && mad=$(within "$work/shots/$name" "$work/capture/$name" 1); then
    pass "F12 at $time s is the capture's picture: $mad"
  else
    fail "F12 at $time s differs from the capture: ${mad:-no picture}"
  fi
done

# Paused at 149 s, the greeting handed over at 148.4 s saved to fade out instead.
goto 14 9 || fail "the keys did not land on 149 s: $(tail -2 "$work/err.txt")"
keys "$window" F12
wait_file "$work/shots/frame_149.000.png" 120 || fail "F12 wrote no picture at 149 s"
saves=$(grep -c 'the first frame with the reload was shown' "$work/out.txt")
sed -E 's/^(caption greet4\.png .*)out slide 0\.1/\1out alpha 0.1/' "$work/assets/Show.txt" >"$work/Show.txt.new"
grep -q '^caption greet4.png .*out alpha 0.1' "$work/Show.txt.new" || fail "the show file's caption line was not edited"
mv "$work/Show.txt.new" "$work/assets/Show.txt"
end=$((SECONDS + 120))
until [ "$(grep -c 'the first frame with the reload was shown' "$work/out.txt")" -gt "$saves" ]; do
  [ "$SECONDS" -lt "$end" ] || break
  sleep 0.1
done
if [ "$(grep -c 'the first frame with the reload was shown' "$work/out.txt")" -gt "$saves" ]; then
  xwd -silent -id "$window" -out "$work/dump.xwd" && ffmpeg -v error -y -i "$work/dump.xwd" "$work/redrawn.png"
  mkdir -p "$work/before" && mv "$work/shots/frame_149.000.png" "$work/before/"
  keys "$window" F12
  if ! wait_file "$work/shots/frame_149.000.png" 120; then
    fail "F12 wrote no picture after the save"
  elif "$stats" --diff "$work/before/frame_149.000.png" "$work/shots/frame_149.000.png" | awk '{ exit !($6 < 32) }'; then
    fail "the edit did not change the picture at 149 s: $("$stats" --diff "$work/before/frame_149.000.png" \
      "$work/shots/frame_149.000.png")"
  elif mad=$(within "$work/redrawn.png" "$work/shots/frame_149.000.png" 2 16); then
    pass "the picture redrawn after the save is the edited show's: $mad"
  else
    fail "the picture redrawn after the save is not the edited show's: $mad"
  fi
else
  fail "the saved show file was not reloaded and shown: $(tail -3 "$work/out.txt")"
fi

keys "$window" Escape
wait_exit "$pid" 120
pid=""
echo "$failures failure(s)"
[ "$failures" = 0 ]
