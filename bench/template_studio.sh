#!/usr/bin/env bash
# The studio of a demo of one's own, measured: the template installed into a staging folder (as the
# end-to-end check does), built out of tree, and run as `template --studio` at 960x540 playing its 12 s on a
# loop. Reports the time from saving its sky's shader, and from saving its show file (a caption moved each
# time), to the first frame that shows it (the studio measures it from the file's modification time and
# logs it), and the jumps of a burst of Right presses while paused. Run on a display (or under
# xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX"), from a build with the tests' programs:
#   bash bench/template_studio.sh <build-dir> [saves]
set -uo pipefail
build=$(cd "$1" && pwd)
saves=${2:-5}
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
size=960x540

DESTDIR="$work/root" cmake --install "$build" --prefix /usr --component dev >/dev/null || { echo "install failed"; exit 1; }
cp -r "$work/root/usr/share/orvelant/template" "$work/demo"
cmake -S "$work/demo" -B "$work/demo/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/root/usr" >/dev/null &&
  cmake --build "$work/demo/build" >/dev/null || { echo "the template did not build"; exit 1; }
assets="$work/demo/assets"

# Waits up to $3 seconds until file $1 has at least $2 lines matching the extended regex $4.
wait_count() {
  local end=$((SECONDS + $3))
  until [ "$(grep -Ec "$4" "$1" 2>/dev/null)" -ge "$2" ]; do
    kill -0 "$pid" 2>/dev/null || return 1
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
}
shown() { grep -E 'first frame with the reload was shown' "$work/out.txt" | awk '{ print $(NF-4) }'; }
report() { sort -n | awk -v what="$1" '{ s[NR] = $1 } END { printf "%s: min %d, median %d, max %d ms (%d)\n", what, s[1], s[int((NR + 1) / 2)], s[NR], NR }'; }

(cd "$work" && exec "$work/demo/build/template" --studio --size "$size" --loop 0 12) >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
wait_count "$work/err.txt" 1 600 '^studio: ' || { echo "the studio did not start: $(tail -3 "$work/err.txt")"; exit 1; }
for i in $(seq "$saves"); do
  # A new constant in the sky's pixel shader each time, so every save compiles something new.
  sed "s/vec3 top = vec3(0.95, 0.55, 0.25);/vec3 top = vec3(0.95, 0.55, 0.2$i);/" "$assets/Sky.mat" >"$assets/.Sky.mat.swp"
  mv "$assets/.Sky.mat.swp" "$assets/Sky.mat"
  wait_count "$work/out.txt" "$i" 60 'first frame with the reload was shown' || { echo "save $i was not shown"; exit 1; }
done
cp "$assets/Show.txt" "$work/Show.txt"
for i in $(seq "$saves"); do
  sed "s/^caption world.png  4:1 /caption world.png  4:1.$i /" "$work/Show.txt" >"$assets/.Show.txt.swp"
  mv "$assets/.Show.txt.swp" "$assets/Show.txt"
  wait_count "$work/out.txt" $((saves + i)) 60 'first frame with the reload was shown' ||
    { echo "show file save $i was not shown"; exit 1; }
done
shown | head -n "$saves" | report "template --studio at $size, Sky.mat saved to first frame showing it"
shown | tail -n "$saves" | report "template --studio at $size, Show.txt saved to first frame showing it"

# Jumps: paused, ten presses of Right one after the other (each waited for).
window=$(xwininfo -root -children | grep -F '"template studio - ' | awk '{ print $1 }' | head -1)
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --clearmodifiers space Home
wait_count "$work/err.txt" 1 60 '^studio: 0\.000 s .*paused' || { echo "Home did not go back to 0"; exit 1; }
jumps=$(grep -c 'Studio: the jump to' "$work/out.txt")
for i in $(seq 10); do
  xdotool key --clearmodifiers Right
  wait_count "$work/out.txt" $((jumps + i)) 60 "Studio: the jump to" || { echo "jump $i not seen: $(tail -2 "$work/err.txt")"; break; }
done
grep -E "Studio: the jump to" "$work/out.txt" | tail -n 10 | awk '{ print $(NF-1) }' |
  report "template --studio at $size, a jump of 1 s while paused"
