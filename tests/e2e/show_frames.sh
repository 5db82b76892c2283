#!/usr/bin/env bash
# End to end, as the audience sees it: the whole show drawn by starwane-capture at a small size, and frames at
# eleven moments checked against its timeline by their brightness, contrast and colours (not their exact
# pixels, so the checks hold whatever the pictures and shaders look like in detail):
#   5, 20 s   black with light captions
#   30 s      the landscape fading in from black: lighter than before, darker than at 50 s
#   50 s      the landscape
#   74 s      the fade to white
#   77 s      out of the white into the plasma
#   100, 139, 150 s  the plasma, in several colours, with captions
#   172 s     the picture darkening under the logo
#   190 s     black with the logo above and the last caption below
# and no GL error logged over the whole show. The same moments (and 40 and 55 s) captured again by seeking, as
# --at does unless --from-start is given, come out as the whole show's frames do, within 2/255 a channel.
#   bash show_frames.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
# The bin folder, a work folder removed at the end, the X display without sound on Mesa's software renderer.
e2e_open "$1"
stats="$bin/orvelant_picture_stats"

moments=5,20,30,40,50,55,74,77,100,139,150,172,190
"$bin/starwane-capture" --from-start --at $moments --to 190 --fps 10 --size 160x90 \
  --out "$work/frames" >"$work/log.txt" 2>"$work/err.txt"
status=$?
[ "$status" = 0 ] && pass "the whole show drawn" || { fail "capture: status $status: $(tail -3 "$work/err.txt")"; exit 1; }
grep -q "OPENGL :: ERROR" "$work/log.txt" && fail "GL errors: $(grep -m3 "OPENGL :: ERROR" "$work/log.txt")" ||
  pass "no GL error over the whole show"

# value <time> <field> [region]: one figure of a frame.
value() {
  local time=$1 field=$2
  shift 2
  "$stats" "$work/frames/frame_$time.png" "$@" | awk -v f="$field" '{ for (i = 1; i < NF; i += 2) if ($i == f) print $(i + 1) }'
}
# check <description> <awk condition on a, b, c>: passes when the condition holds.
check() {
  local what=$1 condition=$2 a=${3:-0} b=${4:-0} c=${5:-0}
  if awk -v a="$a" -v b="$b" -v c="$c" "BEGIN { exit !($condition) }"; then pass "$what"; else
    fail "$what ($condition with a=$a b=$b c=$c)"; fi
}

# Regions (fractions, y from the top): the upper half where the first captions rest, the logo, the lower band.
upper="0.1 0.1 0.9 0.5"
logo="0.3 0.15 0.7 0.45"
lower="0.1 0.65 0.9 0.9"
for time in 005.000 020.000; do
  check "$time s: black with a caption" "a < 25 && b > 5 && b > 2 * a" "$(value $time mean)" "$(value $time mean $upper)"
done
check "30 s: the landscape fading in" "a > c + 10 && a < b - 20" "$(value 030.000 mean)" "$(value 050.000 mean)" \
  "$(value 005.000 mean)"
check "50 s: the landscape" "a > 60 && b > 15" "$(value 050.000 mean)" "$(value 050.000 spread)"
check "74 s: fading to white" "a > 150 && a > b" "$(value 074.000 mean)" "$(value 050.000 mean)"
check "77 s: out of the white" "a > 150" "$(value 077.000 mean)"
for time in 100.000 139.000 150.000; do
  check "$time s: the plasma in colours" "a > 25 && a < 160 && b >= 3 && c > 10" "$(value $time mean)" \
    "$(value $time colours)" "$(value $time spread)"
done
check "172 s: the picture darkening under the logo" "a < b && c > a" "$(value 172.000 mean)" "$(value 150.000 mean)" \
  "$(value 172.000 mean $logo)"
check "190 s: black with the logo and the last caption" "a < 25 && b > 2 * a && c > 5" "$(value 190.000 mean)" \
  "$(value 190.000 mean $logo)" "$(value 190.000 mean $lower)"

# --- the same moments by seeking: a warm-up before each, far fewer frames drawn ---
"$bin/starwane-capture" --at $moments --to 190 --fps 10 --size 160x90 --out "$work/sought" >"$work/log_sought.txt" \
  2>"$work/err_sought.txt"
status=$?
drawn=$(grep -o '[0-9]* drawn' "$work/err_sought.txt" | cut -d' ' -f1)
[ "$status" = 0 ] && [ "${drawn:-9999}" -lt 600 ] && pass "the moments sought: $drawn frames drawn" ||
  fail "seeking capture: status $status, $(tail -3 "$work/err_sought.txt")"
grep -q "OPENGL :: ERROR" "$work/log_sought.txt" && fail "GL errors when seeking" || pass "no GL error when seeking"
for frame in "$work"/frames/frame_*.png; do
  name=$(basename "$frame")
  mad=$("$stats" --diff "$frame" "$work/sought/$name" 2>&1)
  if echo "$mad" | awk '$1 == "mad" { exit !($2 <= 2 && $3 <= 2 && $4 <= 2) } $1 != "mad" { exit 1 }'; then
    pass "$name sought as played: $mad"
  else
    fail "$name sought differs from the play: $mad"
  fi
done

echo "$failures failure(s)"
[ "$failures" = 0 ]
