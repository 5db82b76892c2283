#!/usr/bin/env bash
# End to end: starwane-capture as a user runs it, on short ranges at small sizes.
#   bash capture.sh <bin-dir>
# Same range twice gives byte-identical PNGs; --at picks the first frame that
# reaches the time; a picture larger than the screen comes out whole; bad
# command lines exit 2 and unwritable outputs exit 1, leaving no file; with no
# display it draws offscreen by itself, and says why when no OpenGL can be had.
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
# The bin folder, a work folder removed at the end, the X display without sound on Mesa's software renderer.
e2e_open "$1"
capture="$bin/starwane-capture"

# Width and height of a PNG from its header.
png_size() { od -An -t u1 -j 16 -N 8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }

# --- help ---
"$capture" --help >"$work/help.txt" 2>&1
status=$?
[ "$status" = 0 ] && grep -q -- "--video FILE" "$work/help.txt" && pass "--help" || fail "--help: status $status"

# --- the same range twice: identical bytes, the expected frames and names ---
for run in a b; do
  "$capture" --size 160x90 --fps 10 --from 0.5 --to 1 --out "$work/$run" >"$work/log_$run.txt" 2>"$work/err_$run.txt"
  status=$?
  [ "$status" = 0 ] || fail "capture $run: status $status: $(cat "$work/err_$run.txt")"
done
names=$(cd "$work/a" && ls -A | tr '\n' ' ')
expected="frame_000.500.png frame_000.600.png frame_000.700.png frame_000.800.png frame_000.900.png "
[ "$names" = "$expected" ] && pass "frames 0.5 to 0.9 s written, nothing else" || fail "files: $names"
if diff -r "$work/a" "$work/b" >/dev/null; then pass "two captures are byte-identical"; else fail "captures differ"; fi
[ "$(png_size "$work/a/frame_000.500.png")" = "160x90" ] && pass "160x90 PNG" ||
  fail "PNG size $(png_size "$work/a/frame_000.500.png")"
grep -q "OPENGL :: Renderer" "$work/log_a.txt" && pass "the show's log on standard output" || fail "no engine log"

# --- --at: the first frame reaching the time; frames 0 to 30 drawn at 30 fps ---
"$capture" --size 64x36 --at 1.0 --out "$work/at" >/dev/null 2>"$work/err_at.txt"
status=$?
[ "$status" = 0 ] && [ "$(ls -A "$work/at")" = "frame_001.000.png" ] && pass "--at 1.0 writes frame_001.000.png" ||
  fail "--at: status $status, files $(ls -A "$work/at" 2>/dev/null)"
grep -q "1 frame(s) written, 31 drawn" "$work/err_at.txt" && pass "--at 1.0 at 30 fps is frame 30 (31 drawn)" ||
  fail "--at frame count: $(cat "$work/err_at.txt")"

# --- larger than the 1920x1080 test screen ---
"$capture" --size 2400x1350 --at 0 --out "$work/large" >/dev/null 2>"$work/err_large.txt"
status=$?
[ "$status" = 0 ] && [ "$(png_size "$work/large/frame_000.000.png")" = "2400x1350" ] &&
  pass "a picture larger than the screen" || fail "large: status $status, $(cat "$work/err_large.txt")"

# --- a video of two seconds: one H.264 and one AAC stream of the same length, fps x duration frames ---
"$capture" --size 160x90 --from 1 --to 3 --video "$work/clip.mp4" >/dev/null 2>"$work/err_video.txt"
status=$?
if [ "$status" = 0 ] && [ -s "$work/clip.mp4" ]; then
  streams=$(ffprobe -v error -show_entries stream=codec_type,codec_name,pix_fmt,nb_frames,duration -of csv=p=0 \
    "$work/clip.mp4")
  echo "streams: $(echo "$streams" | tr '\n' ' ')"
  video=$(echo "$streams" | grep ',video,' || true)
  audio=$(echo "$streams" | grep ',audio,' || true)
  [ "$(echo "$streams" | wc -l)" = 2 ] && pass "two streams" || fail "streams: $streams"
  [[ "$video" == h264,video,yuv420p,* ]] && pass "H.264 yuv420p video" || fail "video stream: $video"
  [[ "$audio" == aac,audio,* ]] && pass "AAC sound" || fail "audio stream: $audio"
  vframes=$(echo "$video" | cut -d, -f5); vdur=$(echo "$video" | cut -d, -f4); adur=$(echo "$audio" | cut -d, -f3)
  # 1.00001 s to 2.96668 s at 30 fps: frames 30 to 89, sixty frames of two seconds
  [ "$vframes" = 60 ] && pass "60 frames" || fail "frames: $vframes"
  awk -v v="$vdur" -v a="$adur" 'BEGIN { d = v - a; if (d < 0) d = -d; exit !(d <= 1 / 30 && v > 1.9 && v < 2.1) }' &&
    pass "video $vdur s and sound $adur s agree within a frame" || fail "durations: video $vdur, sound $adur"
else
  fail "video: status $status, $(cat "$work/err_video.txt")"
fi
[ -z "$(ls -A "$work" | grep -E '\.(part|pcm)$')" ] || fail "temporary files left: $(ls -A "$work")"

# A video that cannot be written: status 1 before the first frame, nothing left.
"$capture" --size 160x90 --to 1 --video "$work/missing/clip.mp4" >"$work/vout.txt" 2>"$work/verr.txt"
status=$?
[ "$status" = 1 ] && grep -q "cannot write the video" "$work/verr.txt" && ! grep -q "Initializing OpenGL" "$work/vout.txt" &&
  pass "an unwritable video: $(cat "$work/verr.txt")" || fail "unwritable video: status $status, $(cat "$work/verr.txt")"
[ ! -e "$work/missing" ] || fail "the missing folder was made"

# --- the benchmark: figures on standard output and as JSON, no frames ---
"$capture" --bench --size 160x90 --to 2 --json "$work/bench.json" >"$work/bench.txt" 2>"$work/err_bench.txt"
status=$?
echo "--- bench"; sed -n '/^bench:/,$p' "$work/bench.txt"
[ "$status" = 0 ] && grep -q "^start-up: .* s to the first show frame (engine initialisation" "$work/bench.txt" &&
  grep -q "^GL errors logged: 0" "$work/bench.txt" && pass "bench figures" || fail "bench: status $status"
# Frames 1 to 59 are the range after the first frame (which is timed with the start-up).
grep -q '{"from": 0, "to": 27, "frames": 59, "median_ms": [0-9.]*, "p95_ms"' "$work/bench.json" &&
  grep -q '"gl_errors": 0' "$work/bench.json" && pass "bench JSON" || fail "bench JSON: $(cat "$work/bench.json")"
"$capture" --bench --size 160x90 --to 1 --json "$work/missing/bench.json" >/dev/null 2>"$work/err_bench2.txt"
status=$?
[ "$status" = 1 ] && [ ! -e "$work/missing" ] && pass "an unwritable JSON file: $(cat "$work/err_bench2.txt")" ||
  fail "unwritable JSON: status $status"

# --- bad command lines: status 2, usage, no output ---
bad=("--fps 0" "--size 0x0" "--size 20000x100" "--from 5 --to 4" "--at 250" "--bogus" "--every 0" "--size 161x90 --video $work/bad.mp4")
for args in "${bad[@]}"; do
  # shellcheck disable=SC2086
  "$capture" $args --out "$work/bad" >"$work/bad_out.txt" 2>"$work/bad_err.txt"
  status=$?
  if [ "$status" = 2 ] && grep -q "^usage: " "$work/bad_err.txt" && [ ! -e "$work/bad" ]; then
    pass "refused with status 2: $args ($(head -1 "$work/bad_err.txt"))"
  else
    fail "$args: status $status, $(head -1 "$work/bad_err.txt"), output $(ls "$work/bad" 2>/dev/null)"
  fi
  rm -rf "$work/bad"
done

# --- unwritable outputs: status 1 with the message, before anything is drawn ---
touch "$work/plainfile"
"$capture" --size 64x36 --at 1 --out "$work/plainfile/frames" >"$work/unw_out.txt" 2>"$work/unw_err.txt"
status=$?
[ "$status" = 1 ] && grep -q "output folder" "$work/unw_err.txt" && ! grep -q "Initializing OpenGL" "$work/unw_out.txt" &&
  pass "an output folder that cannot be made: $(cat "$work/unw_err.txt")" || fail "unwritable folder: status $status"
mkdir -p "$work/readonly"
chmod a-w "$work/readonly"
if [ "$(id -u)" != 0 ]; then
  "$capture" --size 64x36 --at 1 --out "$work/readonly" >/dev/null 2>"$work/ro_err.txt"
  status=$?
  [ "$status" = 1 ] && [ -z "$(ls -A "$work/readonly")" ] && pass "a read-only folder: $(cat "$work/ro_err.txt")" ||
    fail "read-only folder: status $status"
fi
chmod u+w "$work/readonly"

# --- no display: SDL's offscreen driver by itself; a driver asked for by hand is used as it is ---
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER)
"${nodisplay[@]}" "$capture" --size 64x36 --at 1 --out "$work/nodisplay" >"$work/nd_out.txt" 2>"$work/nd_err.txt"
status=$?
[ "$status" = 0 ] && [ "$(ls -A "$work/nodisplay" 2>/dev/null)" = "frame_001.000.png" ] &&
  [ "$(png_size "$work/nodisplay/frame_001.000.png")" = "64x36" ] && pass "no display: a frame drawn offscreen" ||
  fail "no display: status $status, $(cat "$work/nd_err.txt"), files $(ls -A "$work/nodisplay" 2>/dev/null)"
grep -q "drawing through SDL's offscreen video driver" "$work/nd_out.txt" && pass "the log says it draws offscreen" ||
  fail "no offscreen line in the log"
"${nodisplay[@]}" SDL_VIDEODRIVER=x11 "$capture" --size 64x36 --at 1 --out "$work/x11" >/dev/null 2>"$work/x11_err.txt"
status=$?
[ "$status" = 1 ] && grep -q "Cannot open the display .*SDL_VIDEODRIVER asks for \"x11\"" "$work/x11_err.txt" &&
  pass "SDL_VIDEODRIVER=x11 without a display: $(cat "$work/x11_err.txt")" ||
  fail "x11 without a display: status $status, $(cat "$work/x11_err.txt")"
[ -z "$(ls -A "$work/x11" 2>/dev/null)" ] || fail "files left without a display"
# No OpenGL at all: SDL finds no EGL library to load.
"${nodisplay[@]}" SDL_VIDEO_EGL_DRIVER=/nonexistent/libEGL.so.1 "$capture" --size 64x36 --at 1 --out "$work/nogl" \
  >"$work/nogl_out.txt" 2>"$work/nogl_err.txt"
status=$?
[ "$status" = 1 ] && grep -q "^starwane-capture: Cannot draw: no OpenGL context" "$work/nogl_err.txt" &&
  ! grep -q "Initializing OpenGL" "$work/nogl_out.txt" && pass "no OpenGL at all: $(cat "$work/nogl_err.txt")" ||
  fail "no OpenGL: status $status, $(cat "$work/nogl_err.txt")"
[ -z "$(ls -A "$work/nogl" 2>/dev/null)" ] || fail "files left without OpenGL"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
