#!/usr/bin/env bash
# End to end: a demo of one's own made from the installed engine. Installs the development files into a
# staging folder (DESTDIR, prefix /usr), copies the installed template out of it, configures and builds it
# with nothing but the staged prefix (no path into the source tree), then draws two of its frames with its
# own capture entry and checks that they show what the template draws: the sky warm above and deep blue
# below, the first caption up top at 3 s, the second low down at 7 s. Then the template's own studio,
# started from its build folder with no option: it watches the template's assets/, writes the sync editor's
# document of its tracks, shows a saved shader and a moved caption at once, takes a key from a (scripted)
# editor on the template's own track and saves it, and its F12 picture is the capture's.
# Last, in a copy of its own, it follows the tutorial's steps "A third caption" and "A second world" and
# checks the frame at 3 s again, and breaks a material to see the capture stop on it.
#   bash template.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
e2e_open "$1"
build=$(cd "$bin/.." && pwd)
source_root=$(cd "$(dirname "$0")/../.." && pwd)
stats="$bin/orvelant_picture_stats"

# --- install the development files only ---
root="$work/root"
if DESTDIR="$root" cmake --install "$build" --prefix /usr --component dev >"$work/install.txt" 2>&1; then
  pass "cmake --install --component dev"
else
  fail "cmake --install --component dev: $(tail -5 "$work/install.txt")"
fi
usr="$root/usr"
# The library, its CMake package and pkg-config file go under lib/ or Debian's multiarch lib/<triplet>/.
libdir=$(dirname "$(ls "$usr"/lib/liborvelant.a "$usr"/lib/*/liborvelant.a 2>/dev/null | head -1)")
libdir=${libdir#"$usr/"}
for f in "$libdir/liborvelant.a" include/orvelant/app/k_DemoShell.h include/orvelant/demo/k_Show.h \
         include/orvelant/interfaces/IShow.h "$libdir/cmake/Orvelant/OrvelantConfig.cmake" "$libdir/pkgconfig/orvelant.pc" \
         lib/orvelant/orvelant_pack lib/orvelant/orvelant_captiongen lib/orvelant/orvelant_beatgen lib/orvelant/orvelant_tempo \
         share/orvelant/pack/Common/DistortedQuad.mat share/orvelant/template/CMakeLists.txt; do
  [ -f "$usr/$f" ] || fail "not installed: $f"
done
# The show's own files belong to the other component.
[ -e "$usr/lib/games/starwane/data.pak" ] && fail "the development files include the show's pack"

# --- pkg-config finds the library and its dependencies in the staged prefix ---
if flags=$(PKG_CONFIG_PATH="$usr/$libdir/pkgconfig" pkg-config --cflags --libs orvelant 2>"$work/pc.txt"); then
  include=$(grep -oE -- "-I[^ ]*include/orvelant" <<<"$flags" | head -1)
  [ "$(cd "${include#-I}" 2>/dev/null && pwd)" = "$(cd "$usr/include/orvelant" && pwd)" ] && grep -q -- "-lorvelant" <<<"$flags" &&
    grep -q -- "-lepoxy" <<<"$flags" && grep -q -- "-lSDL2" <<<"$flags" && pass "pkg-config orvelant: $flags" ||
    fail "pkg-config orvelant gives: $flags"
else
  fail "pkg-config orvelant: $(cat "$work/pc.txt")"
fi

# --- the template, copied out of the staged prefix and built against it ---
demo="$work/mydemo"
cp -r "$usr/share/orvelant/template" "$demo"
if cmake -S "$demo" -B "$demo/build" -G Ninja -DCMAKE_PREFIX_PATH="$usr" >"$work/configure.txt" 2>&1 &&
  cmake --build "$demo/build" >"$work/build.txt" 2>&1; then
  pass "the template builds out of tree against the staged install"
else
  fail "the template does not build: $(tail -20 "$work/configure.txt" "$work/build.txt" 2>/dev/null)"
fi
[ -f "$demo/build/data.pak" ] || fail "the template's build made no data.pak"
if grep -rlF "$source_root/" "$demo/build/CMakeCache.txt" "$demo/build/build.ninja" >/dev/null 2>&1; then
  fail "the template's build refers to the source tree: $(grep -rhoF "$source_root/" "$demo/build/build.ninja" | head -3)"
else
  pass "the template's build holds no path into the source tree"
fi

# The region's mean red, green and blue (0-255) and its luma spread.
rgb() { "$stats" "$1" "$2" "$3" "$4" "$5" | awk '{ print int($10), int($11), int($12) }'; }
spread() { "$stats" "$1" "$2" "$3" "$4" "$5" | awk '{ print int($4) }'; }

# --- two frames with the template's own capture entry ---
if (cd "$work" && "$demo/build/template" --capture --at 3,7 --size 320x180 --out "$work/frames") \
  >"$work/capture.txt" 2>&1; then
  pass "the template's capture ran"
else
  fail "the template's capture failed: $(tail -5 "$work/capture.txt")"
fi
# The template's worlds keep no history: its show states no warm-up, and each frame is sought and drawn alone.
grep -q "2 frame(s) written, 2 drawn" "$work/capture.txt" && pass "the capture sought each frame without a warm-up" ||
  fail "the capture drew more than the two frames: $(grep "written" "$work/capture.txt")"
at3=$(ls "$work"/frames/*03.000*.png 2>/dev/null | head -1)
at7=$(ls "$work"/frames/*07.000*.png 2>/dev/null | head -1)
if [ -z "$at3" ] || [ -z "$at7" ]; then
  fail "the frames at 3 s and 7 s are missing: $(ls "$work/frames" 2>&1)"
else
  # Sky.mat: mix of (0.05, 0.1, 0.35) below and (0.95, 0.55, 0.25) above; the corners hold no caption.
  # The top strip (uv.y 0.9 to 1) averages (0.905, 0.53, 0.255), the bottom strip (0 to 0.1) (0.095, 0.12, 0.345).
  near() { # $1 "R G B" measured, $2 "R G B" expected, within 20 a channel
    awk -v m="$1" -v e="$2" 'BEGIN { split(m, a); split(e, b); for (i = 1; i <= 3; i++) if (a[i] - b[i] > 20 || b[i] - a[i] > 20) exit 1 }'
  }
  top=$(rgb "$at3" 0 0 0.15 0.1)
  bottom=$(rgb "$at3" 0 0.9 0.15 1)
  near "$top" "231 135 65" && pass "the sky is warm at the top ($top)" || fail "the sky's top is $top, not about 231 135 65"
  near "$bottom" "24 31 88" && pass "the sky is deep blue below ($bottom)" ||
    fail "the sky's bottom is $bottom, not about 24 31 88"
  # The captions: "hello" rests at y 0.35 (0.325 from the top) from 2 s to 6 s, "a demo of my own" at
  # y -0.35 (0.675 from the top) from 6 s; their letters break up the smooth sky where they stand.
  up3=$(spread "$at3" 0.4 0.25 0.6 0.4); up7=$(spread "$at7" 0.4 0.25 0.6 0.4)
  low3=$(spread "$at3" 0.3 0.6 0.7 0.75); low7=$(spread "$at7" 0.3 0.6 0.7 0.75)
  [ "$up3" -gt $((up7 + 10)) ] && pass "the first caption shows at 3 s and is gone at 7 s (spread $up3, $up7)" ||
    fail "the first caption: spread $up3 at 3 s, $up7 at 7 s"
  [ "$low7" -gt $((low3 + 10)) ] && pass "the second caption shows at 7 s, not at 3 s (spread $low7, $low3)" ||
    fail "the second caption: spread $low7 at 7 s, $low3 at 3 s"
fi

# --- the template's studio ---
"$demo/build/template" --help >"$work/help.txt" 2>&1 && grep -q -- "--studio" "$work/help.txt" &&
  pass "--help names --studio" || fail "template --help: $(cat "$work/help.txt")"
pid=""
editor_pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/editor.in"
"$bin/orvelant_sync_editor" accept sky:horizon go key sky:horizon 0 0.8 0 go save <"$work/editor.in" \
  >"$work/editor.txt" 2>&1 &
editor_pid=$!
exec 3>"$work/editor.in"
pid=$editor_pid
port=$(wait_line "$work/editor.txt" '^listening [0-9]+$' 60 | awk '{ print $2 }')
mkdir -p "$work/shots"
(cd "$work" && exec "$demo/build/template" --studio --size 320x180 --at 3 --shots "$work/shots" --sync "127.0.0.1:$port") \
  >"$work/studio.txt" 2>"$work/studio-err.txt" &
pid=$!
if ! window=$(studio_window 120 template) || ! wait_line "$work/studio-err.txt" '^studio: 3\.000 s' 120 >/dev/null; then
  fail "the template's studio showed no window at 3 s: $(tail -5 "$work/studio-err.txt" "$work/studio.txt")"
  echo "$failures failure(s)"; exit 1
fi
grep -qF "Studio: serving and watching $demo/build/../assets" "$work/studio.txt" ||
  grep -qF "Studio: serving and watching $demo/assets" "$work/studio.txt" &&
  pass "the studio watches the template's own assets/ with no option" ||
  fail "the studio does not watch $demo/assets: $(grep -E 'serving|watching' "$work/studio.txt" "$work/studio-err.txt")"
wait_line "$work/studio-err.txt" "sync on 127\.0\.0\.1:$port" 120 >/dev/null && grep -q '^done accept' "$work/editor.txt" &&
  pass "the studio asked the editor for the template's track sky:horizon" ||
  fail "the editor was not asked for sky:horizon: $(cat "$work/editor.txt")"
# The editor's document: XML, rows to the show's end (12 s at 16 rows a second: row 192), the template's track.
document="$demo/assets/Sync/show.rocket"
if xmllint --noout "$document" 2>"$work/xml.txt" && grep -q '<track name="sky:horizon">' "$document" &&
  [ "$(grep -oE '<sync rows="[0-9]+"' "$document" | grep -oE '[0-9]+')" -ge 193 ]; then
  pass "the studio wrote the editor's document $(basename "$document") with the template's track"
else
  fail "the editor's document: $(cat "$work/xml.txt" "$document" 2>&1 | head -5)"
fi

# F12 pictures, each taken out of the shots folder once written.
shot=0
f12() {
  shot=$((shot + 1))
  keys "$window" F12
  local end=$((SECONDS + 120))
  until [ "$(grep -c 'Studio: saved .*frame_' "$work/studio.txt")" -ge "$shot" ]; do
    [ "$SECONDS" -ge "$end" ] && { fail "F12 wrote no picture ($1)"; return 1; }
    sleep 0.1
  done
  mv "$(ls "$work"/shots/frame_*.png | head -1)" "$work/$1.png"
}
# Paused, then back to 0 and six beats on (120 a minute): exactly 3 s.
keys "$window" space
wait_line "$work/studio-err.txt" '\| paused' 60 >/dev/null || fail "the studio did not pause"
keys "$window" Home period period period period period period
wait_line "$work/studio-err.txt" '^studio: 3\.000 s.*\| paused' 120 >/dev/null || fail "the studio did not come to 3 s, paused"
if f12 start && [ -n "$at3" ]; then
  diff=$("$stats" --diff "$work/start.png" "$at3")
  awk '{ exit !($2 <= 1 && $3 <= 1 && $4 <= 1) }' <<<"$diff" && pass "F12 at 3 s is the capture's frame ($diff)" ||
    fail "F12 at 3 s differs from the capture: $diff"
fi

# A saved shader: the sky's top turns blue.
sed -i 's/vec3 top = vec3(0.95, 0.55, 0.25);/vec3 top = vec3(0.25, 0.55, 0.95);/' "$demo/assets/Sky.mat"
wait_line "$work/studio.txt" 'first frame with the reload was shown' 120 >/dev/null || fail "the saved Sky.mat was not shown"
if f12 shader; then
  was=$(rgb "$work/start.png" 0 0 0.15 0.1); now=$(rgb "$work/shader.png" 0 0 0.15 0.1)
  [ "$(awk '{ print $3 }' <<<"$now")" -gt $(($(awk '{ print $3 }' <<<"$was") + 60)) ] &&
    pass "a saved Sky.mat shows at once (the top $was -> $now)" || fail "the saved Sky.mat: the top $was -> $now"
fi

# A caption moved in the show file: "hello" starts a bar later, so at 3 s it is not there yet.
sed -i 's/^caption hello.png  2:1 /caption hello.png  3:1 /' "$demo/assets/Show.txt"
wait_line "$work/studio.txt" 'reloaded the show file' 120 >/dev/null || fail "the saved Show.txt was not reloaded"
if f12 moved; then
  before=$(spread "$work/shader.png" 0.4 0.25 0.6 0.4); after=$(spread "$work/moved.png" 0.4 0.25 0.6 0.4)
  [ "$before" -gt $((after + 10)) ] && pass "a caption moved in Show.txt shows at once (spread $before -> $after)" ||
    fail "the moved caption: spread $before -> $after"
fi

# New words for the first caption: the installed caption painter paints them again and the picture is reloaded.
sed -i 's/^hello.png: hello$/hello.png: hello again/' "$demo/assets/Captions.txt"
line=$(wait_line "$work/studio.txt" 'Studio: painted the captions again' 120) && grep -q "1 changed, 1 on screen reloaded" <<<"$line" &&
  pass "new words in Captions.txt are painted again by the installed painter ($line)" ||
  fail "Captions.txt was not painted again: $(grep -E 'paint|caption' "$work/studio.txt" | tail -3)"

# A key from the editor on sky:horizon lifts the glowing horizon from 0.45 to 0.8 of the height.
echo go >&3
wait_line "$work/editor.txt" '^done key' 60 >/dev/null || fail "the editor could not send the key"
# The key was sent before F12 is pressed: the studio reads it when it polls, before it serves the key.
if f12 keyed; then
  before=$(rgb "$work/moved.png" 0.3 0.15 0.7 0.25 | awk '{ print $1 }'); after=$(rgb "$work/keyed.png" 0.3 0.15 0.7 0.25 | awk '{ print $1 }')
  [ "$after" -gt $((before + 20)) ] && pass "the editor's key on sky:horizon moves the horizon (red up high $before -> $after)" ||
    fail "the editor's key on sky:horizon: red up high $before -> $after"
fi
echo go >&3
track="$demo/assets/Sync/show_sky-3Ahorizon.track"
end=$((SECONDS + 60))
until grep -q '<key row="0" value="0.8"' "$document" || [ "$SECONDS" -ge "$end" ]; do sleep 0.1; done
if wait_file "$track" 60 && [ "$(stat -c %s "$track")" -eq 13 ] && grep -q '<key row="0" value="0.8"' "$document"; then
  pass "the editor's save wrote $(basename "$track") and the document holds its key"
else
  fail "the editor's save: $(ls "$demo/assets/Sync" 2>&1; grep '<key' "$document"; cat "$work/editor.txt"; grep -h 'Sync' "$work/studio.txt" "$work/studio-err.txt")"
fi
# A saved tempo change: the metronome is made again from it and played from the time on screen, which stays
# there; the overlay draws its waveform again. The tune served now clicks at the new tempo.
waves=$(grep -c "the tune's waveform is drawn" "$work/studio.txt")
sed -i 's/^tempo 1 0 bpm 120$/tempo 1 0 bpm 100/' "$demo/assets/Show.txt"
wait_line "$work/studio.txt" 'Studio: made the tune again in [0-9]+ ms; it plays from 3\.000 s' 120 >/dev/null &&
  pass "a saved tempo change makes the tune again, from 3 s" ||
  fail "the tune was not made again: $(grep -E 'tune' "$work/studio.txt" | tail -5)"
end=$((SECONDS + 60))
until [ "$(grep -c "the tune's waveform is drawn" "$work/studio.txt")" -gt "$waves" ] || [ "$SECONDS" -ge "$end" ]; do
  sleep 0.1
done
[ "$(grep -c "the tune's waveform is drawn" "$work/studio.txt")" -gt "$waves" ] &&
  pass "the overlay draws the new tune's waveform" || fail "the waveform was not drawn again"
wait_line "$work/studio-err.txt" '^studio: 3\.000 s \| 2:2 .*\| paused' 60 >/dev/null &&
  pass "the picture stays at 3 s, now bar 2:2" || fail "the picture's time: $(tail -c 300 "$work/studio-err.txt")"
served=$(find "${TMPDIR:-/tmp}" -path '*template-studio-*/painted/template.ogg' 2>/dev/null | head -1)
if [ -n "$served" ] && "$usr/lib/orvelant/orvelant_tempo" "$served" >"$work/served.txt" 2>&1 &&
  grep -q '^tempo 1 0.0[0-9]* bpm 100\.0' "$work/served.txt"; then
  pass "the tune served now clicks at 100 BPM ($(head -1 "$work/served.txt"))"
else
  fail "the tune served: ${served:-none}: $(cat "$work/served.txt" 2>/dev/null)"
fi
keys "$window" Escape
wait_exit "$pid" 60
[ "$status" = 0 ] && pass "Escape ended the template's studio with 0" || fail "the template's studio ended with $status"
pid=""
exec 3>&-

# Moved away from its build folder, it says so in one line and plays from its pack.
mkdir -p "$work/away"
cp "$demo/build/template" "$demo/build/data.pak" "$work/away/"
(cd "$work" && exec "$work/away/template" --studio --size 160x90 --quit-at 0.1 --no-overlay) >"$work/away.txt" 2>&1
grep -q "^template --studio: runs from its pack, watching nothing: it does not run from its build folder" "$work/away.txt" &&
  pass "run from elsewhere, the studio says it plays from its pack" ||
  fail "run from elsewhere: $(grep -v '^studio:' "$work/away.txt" | tail -5)"

# --- the tutorial's steps, as a new user types them, in a fresh copy of the template ---
# "A third caption" and "A second world": their shell blocks, run as they stand. The rings come on at 6 s: at
# 3 s the picture is the template's own, the first caption included (captions are drawn over every world).
mine="$work/tutorial"
cp -r "$usr/share/orvelant/template" "$mine"
if cmake -S "$mine" -B "$mine/build" -G Ninja -DCMAKE_PREFIX_PATH="$usr" >"$work/tutorial_configure.txt" 2>&1 &&
  cmake --build "$mine/build" >"$work/tutorial_build.txt" 2>&1 &&
  (cd "$work" && "$mine/build/template" --capture --at 3 --size 320x180 --out "$work/plain") >"$work/plain.txt" 2>&1; then
  pass "a second copy of the template builds and captures"
else
  fail "the second copy of the template: $(tail -5 "$work/tutorial_build.txt" "$work/plain.txt")"
fi
steps="$work/tutorial.sh"
awk '/^## [0-9]+\. A third caption/ { on = 1 } /^## [0-9]+\. Your own music/ { on = 0 }
  on && /^```sh$/ { block = 1; next } block && /^```$/ { block = 0; next } on && block' \
  "$source_root/docs/tutorial.md" >"$steps"
if grep -q "k_RingsWorld" "$steps" && (cd "$mine" && bash -e "$steps") >"$work/tutorial.txt" 2>&1; then
  pass "the tutorial's third caption and second world build and capture"
else
  fail "the tutorial's third caption and second world: $(tail -10 "$work/tutorial.txt")"
fi
if (cd "$work" && "$mine/build/template" --capture --at 3 --size 320x180 --out "$work/rings") >"$work/rings.txt" 2>&1 &&
  mad=$("$stats" --diff "$work/plain/frame_003.000.png" "$work/rings/frame_003.000.png" 2>&1) &&
  echo "$mad" | awk '$1 == "mad" { exit !($2 <= 2 && $3 <= 2 && $4 <= 2) } $1 != "mad" { exit 1 }'; then
  pass "after the tutorial's second world the frame at 3 s is the template's, its caption shown ($mad)"
else
  fail "after the tutorial's second world, 3 s: ${mad:-$(tail -3 "$work/rings.txt")}"
fi

# --- a material that does not compile stops the capture unless it is asked to go on ---
sed -i 's/vec3 top = vec3(0.95/vec3 top = vec3(nothing/' "$mine/assets/Sky.mat"
broken_line=$(grep -n "vec3(nothing" "$mine/assets/Sky.mat" | cut -d: -f1)
if [ -n "$broken_line" ] && cmake --build "$mine/build" >"$work/broken_build.txt" 2>&1; then
  (cd "$work" && "$mine/build/template" --capture --at 3 --size 160x90 --out "$work/broken") >"$work/broken.txt" 2>&1
  status=$?
  [ "$status" = 1 ] && grep -q "Sky.mat:$broken_line:" "$work/broken.txt" && grep -q -- "--keep-going" "$work/broken.txt" &&
    [ ! -e "$work/broken/frame_003.000.png" ] && pass "a broken material ends the capture with status 1, at its line" ||
    fail "a broken material (line $broken_line): status $status, $(tail -4 "$work/broken.txt")"
  (cd "$work" && "$mine/build/template" --capture --keep-going --at 3 --size 160x90 --out "$work/broken") \
    >"$work/going.txt" 2>&1 && [ -f "$work/broken/frame_003.000.png" ] &&
    pass "--keep-going draws on past the broken material" || fail "--keep-going: $(tail -3 "$work/going.txt")"
else
  fail "the template with a broken material does not build: $(tail -5 "$work/broken_build.txt")"
fi

# --- the build reads the show file; a recording of one's own is measured against it ---
show="$demo/assets/Show.txt"
cp "$show" "$work/Show.kept"
echo 'caption world.png 4:1 6 at 0 0 1 from up' >>"$show"
if cmake --build "$demo/build" >"$work/bad-build.txt" 2>&1; then
  fail "the build took a malformed show file"
else
  grep -q "Show.txt:$(wc -l <"$show"):[0-9]*: unknown side" "$work/bad-build.txt" &&
    pass "a malformed show file fails the build with its line and column" ||
    fail "the malformed show file's build: $(tail -5 "$work/bad-build.txt")"
fi
cp "$work/Show.kept" "$show"
# The recording: a metronome at 121 BPM where the show file says 120, dropped in under the tune's name.
printf 'length 12
section all 0
tempo 1 0 bpm 121
' >"$work/recorded.txt"
"$usr/lib/orvelant/orvelant_beatgen" "$demo/assets/template.ogg" --show "$work/recorded.txt"
if cmake --build "$demo/build" >"$work/recording-build.txt" 2>&1; then
  grep -q "warning: .*Show.txt: .* lie more than 30 ms from the tempo map; the worst: bar" "$work/recording-build.txt" &&
    pass "the build warns that the map and the recording part" ||
    fail "no warning about the recording: $(grep -i -A2 "show file" "$work/recording-build.txt" | tail -5)"
else
  fail "the build with a recording failed: $(tail -5 "$work/recording-build.txt")"
fi
if "$usr/lib/orvelant/orvelant_tempo" "$demo/assets/template.ogg" --show "$show" >"$work/measured.txt" 2>&1 &&
  grep -q '^tempo 1 0.0[0-9]* bpm 12[01]\.' "$show" && cmake --build "$demo/build" >"$work/measured-build.txt" 2>&1; then
  ! grep -q "warning" "$work/measured-build.txt" && pass "measured ($(grep '^tempo' "$show")), the build no longer warns" ||
    fail "still a warning after measuring: $(grep warning "$work/measured-build.txt")"
else
  fail "measuring the recording: $(cat "$work/measured.txt"; grep '^tempo' "$show")"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
