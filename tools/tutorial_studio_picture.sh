#!/usr/bin/env bash
# Photographs the template's own studio for the tutorial's "work live" step (docs/tutorial.md):
#
#   bash tools/tutorial_studio_picture.sh [BUILD-DIR]
#
# Installs the development files from BUILD-DIR (default build) into a staging folder, builds the template
# against them as a demo maker would, runs `template --studio` at 960x540 paused at 3 s with its timeline
# strip (sections, captions, beat grid, the metronome's waveform) and the pointer on the first caption's bar,
# and writes the window as docs/pictures/tutorial-studio.jpg. Without a display it runs itself again under
# xvfb-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24 +extension GLX" bash "$0" "$build"
fi
bash "$root/tools/setup.sh" pictures
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

wait_line() {
  local end=$((SECONDS + 120))
  until grep -Eq "$2" "$1"; do
    kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$end" ] || { echo "tutorial_studio_picture: no \"$2\"" >&2; exit 1; }
    sleep 0.1
  done
  grep -E "$2" "$1" | tail -1
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr --component dev >/dev/null
cp -r "$work/root/usr/share/orvelant/template" "$work/mydemo"
cmake -S "$work/mydemo" -B "$work/mydemo/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/root/usr" >/dev/null
cmake --build "$work/mydemo/build" >/dev/null
(cd "$work" && exec "$work/mydemo/build/template" --studio --size 960x540 --at 3) >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
wait_line "$work/err.txt" '^studio: 3\.000 s' >/dev/null
wait_line "$work/out.txt" "the tune's waveform is drawn" >/dev/null
window=$(xwininfo -root -children | grep -F '"template studio - ' | awk '{ print $1 }' | head -1)
xdotool windowfocus --sync "$window"
xdotool key space Home period period period period period period
wait_line "$work/err.txt" '^studio: 3\.000 s.*\| paused' >/dev/null
top=$(wait_line "$work/out.txt" 'overlay shows \(strip\)' | sed -E 's/.* y ([0-9]+) to .*/\1/')
# "hello" runs from 2 s to 6 s of the 12 s strip: its bar's middle lies at a third of the width.
xdotool mousemove --window "$window" 320 $((top + 52))
sleep 1
xwd -silent -id "$window" -out "$work/studio.xwd"
ffmpeg -loglevel error -y -i "$work/studio.xwd" -q:v 4 "$root/docs/pictures/tutorial-studio.jpg"
echo "tutorial_studio_picture: docs/pictures/tutorial-studio.jpg ($(($(stat -c %s "$root/docs/pictures/tutorial-studio.jpg") / 1024)) KB)"
xdotool key Escape
wait "$pid" || true
pid=""
