#!/usr/bin/env bash
# Benchmark of the capture's video: the time a video of the show (or a range of it) takes, the capture's own
# peak resident memory (it prints it when it ends) and the largest resident memory of its ffmpeg, sampled
# twice a second (ffmpeg's encoder keeps frames of its own, apart from the capture's).
# Run on a display, or without one under xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX".
#   bash bench/video_memory.sh <bin-dir> [size] [capture options...]     e.g. ... build/bin 1280x720 --to 80
set -uo pipefail
bin=$(cd "$1" && pwd)
size=${2:-1280x720}
shift $(($# < 2 ? $# : 2))
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1

started=$(date +%s.%N)
"$bin/starwane-capture" --size "$size" --video "$work/show.mp4" "$@" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
encoder=0
while kill -0 "$pid" 2>/dev/null; do
  for child in $(pgrep -P "$pid" ffmpeg); do
    kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$child/status" 2>/dev/null)
    [ -n "$kb" ] && [ "$kb" -gt "$encoder" ] && encoder=$kb
  done
  sleep 0.5
done
wait "$pid"
status=$?
pid=""
ended=$(date +%s.%N)
if [ "$status" -ne 0 ]; then
  echo "the capture failed with status $status:" >&2
  tail -5 "$work/err.txt" >&2
  exit 1
fi
line=$(grep 'frame(s) written' "$work/err.txt" | tail -1)
echo "video of $size${*:+ ($*)}: $(awk -v a="$started" -v b="$ended" 'BEGIN { s = b - a; printf "%d min %02d s", s / 60, s % 60 }')"
echo "capture: ${line#*: }"
echo "ffmpeg: peak resident memory $((encoder / 1024)) MB"
echo "video: $(stat -c %s "$work/show.mp4") bytes"
