#!/usr/bin/env bash
# Benchmarks of starwane-studio (run on a display; without one under
# xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX"):
#  1. live reload: the time from saving a shader (written as a new file and renamed over the old one, as
#     editors save) to the first frame that shows it, while the show plays at 960x540 (the studio measures
#     it from the file's modification time and logs it);
#     and the same from saving the show file (a caption moved each time) to the first frame that shows it;
#  2. frame rate: the studio playing 20 s from the start time (default 100 s) at 960x540, with and without
#     a watched assets folder, against starwane-capture drawing the same stretch of the show at the same
#     size (the engine's own cost per frame, without the studio).
#   bash bench/studio.sh <bin-dir> [saves] [start]
set -uo pipefail
bin=$(cd "$1" && pwd)
saves=${2:-5}
from=${3:-100}
to=$(awk -v f="$from" 'BEGIN { print f + 20 }')
source_assets=$(cd "$(dirname "$0")/../assets" && pwd)
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
size=960x540

# Waits up to $3 seconds until file $1 has at least $2 lines matching the extended regex $4.
wait_count() {
  local i
  for i in $(seq $(( $3 * 10 ))); do
    [ "$(grep -Ec "$4" "$1" 2>/dev/null)" -ge "$2" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# --- 1. save to screen ---
cp -r "$source_assets" "$work/assets"
"$bin/starwane-studio" --size "$size" --at "$from" --loop "$from" "$to" --assets "$work/assets" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
if ! wait_count "$work/err.txt" 1 600 "^studio: $(printf '%.3f' "$from" | sed 's/\./\\./') s"; then
  echo "the studio did not start: $(tail -3 "$work/err.txt")"; exit 1
fi
for i in $(seq "$saves"); do
  # A new constant in the plasma's pixel shader each time, so every save compiles something new.
  sed "s/float t = plasmaTime;/float t = plasmaTime + 0.000$i;/" "$source_assets/Plasma.mat" >"$work/assets/.Plasma.mat.swp"
  mv "$work/assets/.Plasma.mat.swp" "$work/assets/Plasma.mat"
  wait_count "$work/out.txt" "$i" 60 'first frame with the reload was shown' || { echo "save $i was not shown"; exit 1; }
done
# The show file: the second thanks caption moved by a hundredth of a second each time.
shown=$(grep -c 'first frame with the reload was shown' "$work/out.txt")
for i in $(seq "$saves"); do
  sed "s/^\(caption Thanks\/tz\.png *\)91 /\191.0$i /" "$source_assets/Show.txt" >"$work/assets/.Show.txt.swp"
  mv "$work/assets/.Show.txt.swp" "$work/assets/Show.txt"
  wait_count "$work/out.txt" $((shown + i)) 60 'first frame with the reload was shown' ||
    { echo "show file save $i was not shown"; exit 1; }
done
grep -E 'first frame with the reload was shown' "$work/out.txt" | tail -n "$saves" | awk '{ print $(NF-4) }' |
  sort -n >"$work/show_ms.txt"
grep -E 'Studio: reloaded the show file' "$work/out.txt" | awk '{ for (i = 1; i < NF; i++) if ($(i+1) == "ms") print $i }' |
  sort -n >"$work/show_reload.txt"
grep -E 'Studio: reloaded' "$work/out.txt" | grep -v 'the show file' |
  awk '{ for (i = 1; i < NF; i++) if ($(i+1) == "ms") print $i }' | sort -n >"$work/reload.txt"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; pid=""
grep -E 'first frame with the reload was shown' "$work/out.txt" | head -n "$saves" | awk '{ print $(NF-4) }' |
  sort -n >"$work/ms.txt"
report() {
  awk -v n="$saves" -v size="$size" -v what="$1" -v part="$2" 'NR == FNR { r[FNR] = $1; next } { s[FNR] = $1 }
    END { printf "%s at %s, %d saves: save to first frame showing it min %d, median %d, max %d ms", what, size, n,
          s[1], s[int((n + 1) / 2)], s[n];
          printf " (%s %d-%d ms of it)\n", part, r[1], r[n] }' "$3" "$4"
}
report "reload" "reading and relinking" "$work/reload.txt" "$work/ms.txt"
report "show file" "reading it and making the captions" "$work/show_reload.txt" "$work/show_ms.txt"

# --- 2. frame rate ---
studio_fps() {
  "$bin/starwane-studio" --size "$size" --at "$from" --quit-at "$to" "$@" 2>&1 >/dev/null |
    awk '/frames played/ { gsub(/[()]/, ""); print $(NF-1) }'
}
echo "studio at $size, $from-$to s, watching assets/: $(studio_fps --assets "$work/assets") fps"
echo "studio at $size, $from-$to s, pack only:        $(studio_fps --no-assets) fps"
# The capture's frame times in the range (its per-section lines: "from - to s frames median p95 max").
median=$("$bin/starwane-capture" --bench --from "$from" --to "$to" --fps 5 --size "$size" 2>/dev/null |
  awk '$2 == "-" && $5 > 0 { print $6; exit }')
awk -v m="$median" -v size="$size" -v f="$from" -v t="$to" 'BEGIN {
  printf "starwane-capture at %s, %s-%s s: median frame %.1f ms (%.1f fps)\n", size, f, t, m, 1000 / m }'
