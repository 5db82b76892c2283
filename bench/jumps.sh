#!/usr/bin/env bash
# Benchmark of the studio's jumps at 960x540: the time from a jump's start to its picture on screen (the
# studio logs it), at ten times across the show. For each time the studio starts there (its first picture
# is a jump: cold, the first use of that part of the show in the process), is paused, then Right jumps one
# second on (a step on: the studio goes on from the frames it drew) and Left one second back (a seek and the
# whole warm-up, as any jump back or far). Prints each jump and the medians.
# Run on a display, or without one under xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX".
#   bash bench/jumps.sh <bin-dir> [size]
set -uo pipefail
bin=$(cd "$1" && pwd)
size=${2:-960x540}
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
# studio_window, as the end-to-end checks find the studio.
# shellcheck source=../tests/e2e/lib/session.sh
. "$(dirname "$0")/../tests/e2e/lib/session.sh"

# Waits up to $2 seconds until the studio has logged $1 jumps; prints the last one's milliseconds.
jump_ms() {
  local end=$((SECONDS + $2))
  while [ "$(grep -c 'was shown in' "$work/out.txt" 2>/dev/null)" -lt "$1" ]; do
    kill -0 "$pid" 2>/dev/null || return 1
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.1
  done
  grep -o 'was shown in [0-9]* ms' "$work/out.txt" | sed -n "${1}p" | awk '{ print $4 }'
}
key() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool key --clearmodifiers "$2"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

cold=()
onward=()
back=()
for at in 12 31 48 63 77 95 118 139 161 183; do
  "$bin/starwane-studio" --size "$size" --at "$at" --no-assets >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  if ! first=$(jump_ms 1 120) || ! window=$(studio_window 60); then
    echo "the studio showed no jump to $at s: $(tail -3 "$work/err.txt")"
    exit 1
  fi
  key "$window" space
  key "$window" Right
  if ! second=$(jump_ms 2 120); then
    echo "the studio made no jump on from $at s: $(tail -3 "$work/err.txt")"
    exit 1
  fi
  key "$window" Left
  if ! third=$(jump_ms 3 120); then
    echo "the studio made no jump back from $((at + 1)) s: $(tail -3 "$work/err.txt")"
    exit 1
  fi
  key "$window" Escape
  wait "$pid"
  pid=""
  echo "jump to $at s at $size: ${first} ms (cold); one second on: ${second} ms; back: ${third} ms"
  cold+=("$first")
  onward+=("$second")
  back+=("$third")
done
echo "jumps at $size, 10 times across the show, median: one second on $(printf '%s\n' "${onward[@]}" | median) ms," \
  "one second back $(printf '%s\n' "${back[@]}" | median) ms, cold (the first in the process)" \
  "$(printf '%s\n' "${cold[@]}" | median) ms"
