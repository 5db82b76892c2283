#!/usr/bin/env bash
# The show on damaged copies of the built pack, through the capture program:
# each copy is damaged in one way (orvelant_damage_pack lists the cases) and
# the first seconds of the show are drawn at a small size from it. Each run
# must either play (a damaged asset is reported in red and the show goes on,
# status 0) or stop with a message on standard error and status 1; none may
# crash, hang (each run is bounded in time) or grow past 256 MB resident.
# The intact pack runs first: it must play, within the same bounds.
#
#   bash damaged_packs.sh <bin-dir>            a fixed sample of about 30 cases (the test suite's run)
#   bash damaged_packs.sh <bin-dir> --all      every case
#
# Needs DISPLAY (ctest runs under xvfb-run). DAMAGED_PACKS_KEEP=<folder> keeps each case's pack and log.
set -uo pipefail
bin=$(cd "$1" && pwd)
mode=${2:-sample}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What these checks depend on, whoever starts them: the X display (never SDL's offscreen driver), no
# sound device, Mesa's software renderer.
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
seconds=2     # of the show, from its start
limit=120     # seconds a run may take before it counts as hung
# The intact show (landscape, tone map, drift feedback, 35 caption and logo pictures with their programs)
# takes about 195 MB resident on llvmpipe at 160x90 by the end of its start-up.
memory_kb=$((256 * 1024))

for program in starwane-capture orvelant_damage_pack data.pak; do
  [ -e "$bin/$program" ] || { echo "FAIL: $bin/$program is missing"; exit 1; }
done
count=$("$bin/orvelant_damage_pack" "$bin/data.pak")
if [ "$mode" = --all ]; then
  cases=$(seq 0 $((count - 1)))
else
  cases=$(seq 0 $(( (count + 29) / 30 )) $((count - 1)))
fi
cases="intact $cases"

# The capture program reads data.pak beside itself: each case gets a folder with a link to the program.
failures=0
runs=0
played=0
stopped=0
worst_seconds=0
worst_kb=0
for case in $cases; do
  dir="$work/case$case"
  mkdir -p "$dir"
  ln "$bin/starwane-capture" "$dir/" 2>/dev/null || cp "$bin/starwane-capture" "$dir/"
  if [ "$case" = intact ]; then
    cp "$bin/data.pak" "$dir/data.pak"
    what="the pack as built"
  else
    what=$("$bin/orvelant_damage_pack" "$bin/data.pak" "$case" "$dir/data.pak") || { echo "FAIL: case $case not made"; failures=$((failures + 1)); continue; }
  fi
  (cd "$dir" && /usr/bin/time -f "%e %M" -o usage timeout -s KILL "$limit" ./starwane-capture --bench --from 0 \
      --to "$seconds" --fps 10 --size 160x90 >out.log 2>err.log)
  status=$?
  read -r took kb <<<"$(tail -1 "$dir/usage" 2>/dev/null)"
  took=${took:-0}
  kb=${kb:-0}
  runs=$((runs + 1))
  awk -v a="$took" -v b="$worst_seconds" 'BEGIN { exit !(a > b) }' && worst_seconds=$took
  [ "$kb" -gt "$worst_kb" ] && worst_kb=$kb
  verdict=""
  if [ "$case" = intact ] && [ "$status" -ne 0 ]; then
    verdict="the intact pack did not play (status $status)"
  elif [ "$status" -eq 0 ]; then
    played=$((played + 1))
  elif [ "$status" -eq 1 ] && [ -s "$dir/err.log" ]; then
    stopped=$((stopped + 1))
  elif [ "$status" -eq 137 ]; then
    verdict="hung (killed after $limit s)"
  else
    verdict="exit status $status"
  fi
  [ "$kb" -gt "$memory_kb" ] && verdict="${verdict:+$verdict, }$((kb / 1024)) MB resident"
  summary="case $case ($what): status $status, ${took} s, $((kb / 1024)) MB"
  if [ -n "$verdict" ]; then
    echo "FAIL: $summary: $verdict"
    tail -5 "$dir/err.log" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    [ "$status" -eq 1 ] && summary="$summary; stopped: $(head -1 "$dir/err.log")"
    echo "ok: $summary"
  fi
  if [ -n "${DAMAGED_PACKS_KEEP:-}" ]; then
    mkdir -p "$DAMAGED_PACKS_KEEP/case$case"
    cp "$dir/data.pak" "$dir/out.log" "$dir/err.log" "$DAMAGED_PACKS_KEEP/case$case/"
  fi
  rm -rf "$dir"
done

echo "$runs runs: $played played, $stopped stopped with a message, $failures failed;" \
  "worst ${worst_seconds} s and $((worst_kb / 1024)) MB resident"
[ "$failures" -eq 0 ]
