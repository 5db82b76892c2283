#!/usr/bin/env bash
# Photographs the studio with its overlay for the documentation (docs/studio.md, the manual page):
#
#   bash tools/studio_picture.sh [BIN-DIR]
#
# Runs starwane-studio from BIN-DIR (default build/bin) on the pack alone at 960x540, paused at 47 s in the
# landscape, with the timeline strip, the terrain's HDR target in the render-target view (F2) and the
# pointer resting on a caption's bar (its tooltip); the window is dumped with xwd and written by ffmpeg as
# docs/pictures/studio.jpg. Without a display it runs itself again under xvfb-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24 +extension GLX" bash "$0" "$bin"
fi
bash "$root/tools/setup.sh" pictures
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# Waits (two minutes at most) for a line matching $2 in file $1; prints it.
wait_line() {
  local end=$((SECONDS + 120))
  until grep -Eq "$2" "$1"; do
    kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ] || { echo "studio_picture: no \"$2\"" >&2; exit 1; }
    sleep 0.1
  done
  grep -E "$2" "$1" | tail -1
}

"$bin/starwane-studio" --size 960x540 --at 47 --no-assets >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
wait_line "$work/err.txt" '^studio: 47\.000 s' >/dev/null
wait_line "$work/out.txt" "the tune's waveform is drawn" >/dev/null
window=$(xwininfo -root -children | grep -F '"starwane studio - ' | awk '{ print $1 }' | head -1)
xdotool windowfocus --sync "$window"
xdotool key space
wait_line "$work/err.txt" '\| paused' >/dev/null
xdotool key F2
wait_line "$work/out.txt" 'overlay shows \(target\): terrain HDR' >/dev/null
# The strip's top, from the overlay's record; the first row of captions lies 47 pixels below it.
top=$(wait_line "$work/out.txt" 'overlay shows \(strip\)' | sed -E 's/.* y ([0-9]+) to .*/\1/')
xdotool mousemove --window "$window" 250 $((top + 52))
# The tooltip is drawn on the pointer's next frame: give the paused studio a moment to draw it.
sleep 1
xwd -silent -id "$window" -out "$work/studio.xwd"
mkdir -p "$root/docs/pictures"
ffmpeg -loglevel error -y -i "$work/studio.xwd" -q:v 4 "$root/docs/pictures/studio.jpg"
echo "studio_picture: docs/pictures/studio.jpg ($(($(stat -c %s "$root/docs/pictures/studio.jpg") / 1024)) KB)"
xdotool key Escape
wait "$pid" || true
pid=""
