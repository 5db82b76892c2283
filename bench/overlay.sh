#!/usr/bin/env bash
# Benchmark of the studio's overlay (run on a display; without one under
# xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX"): starwane-studio plays 10 s of the show at 960x540
# from each start time given (default 85 s, the plasma, and 35 s, the landscape), in turns with the overlay
# (the timeline strip shown) and with --no-overlay, for the frame rates; then once more with --overlay-cost,
# which logs the overlay's median cost a frame with the GPU's work. Prints the median of the rounds.
#   bash bench/overlay.sh <bin-dir> [rounds] [start...]
set -uo pipefail
bin=$(cd "$1" && pwd)
rounds=${2:-3}
shift $(($# < 2 ? $# : 2))
starts=(85 35)
[ $# -gt 0 ] && starts=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1

# Plays from $1 for 10 s with the options after it; prints the frame rate.
play() {
  local from=$1
  shift
  "$bin/starwane-studio" --size 960x540 --at "$from" --quit-at "$(awk -v f="$from" 'BEGIN { print f + 10 }')" \
    --no-assets "$@" >"$work/out.txt" 2>"$work/err.txt"
  grep -o '([0-9.]* fps)' "$work/err.txt" | tr -d '(' | awk '{ print $1 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for from in "${starts[@]}"; do
  : >"$work/with.txt"
  : >"$work/without.txt"
  for _ in $(seq "$rounds"); do
    play "$from" >>"$work/with.txt"
    play "$from" --no-overlay >>"$work/without.txt"
  done
  play "$from" --overlay-cost >/dev/null
  cost=$(grep -o 'the overlay took [0-9.]* ms' "$work/out.txt" | awk '{ print $4 }')
  echo "overlay at 960x540 from $from s, $rounds rounds: $(median <"$work/with.txt") fps with the strip," \
    "$(median <"$work/without.txt") fps without (--no-overlay); the overlay's median cost $cost ms a frame" \
    "(with the GPU's work; load $(cut -d' ' -f1 /proc/loadavg))"
done
grep -o 'waveform texture.*' "$work/out.txt" | sed 's/^/memory: /'
