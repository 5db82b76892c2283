#!/usr/bin/env bash
# End to end: a demo of one's own made from the installed engine. Installs the development files into a
# staging folder (DESTDIR, prefix /usr), copies the installed template out of it, configures and builds it
# with nothing but the staged prefix (no path into the source tree), then draws two of its frames with its
# own capture entry and checks that they show what the template draws: the sky warm above and deep blue
# below, the first caption up top at 3 s, the second low down at 7 s. Then follows the tutorial's steps 3 and
# 4 and checks the frame at 3 s again, and breaks a material to see the capture stop on it.
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
         lib/orvelant/orvelant_pack lib/orvelant/orvelant_captiongen lib/orvelant/orvelant_beatgen \
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
  # The region's mean red, green and blue (0-255) and its luma spread.
  rgb() { "$stats" "$1" "$2" "$3" "$4" "$5" | awk '{ print int($10), int($11), int($12) }'; }
  spread() { "$stats" "$1" "$2" "$3" "$4" "$5" | awk '{ print int($4) }'; }
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

# --- the tutorial's steps 3 and 4, as a new user types them: a third caption, then the rings world ---
# Its shell blocks, run as they stand in the copied template. The rings come on at 6 s: at 3 s the picture is
# the template's own, the first caption included (captions are drawn over every world, whichever is on).
steps="$work/tutorial.sh"
awk '/^## 3\./ { on = 1 } /^## 5\./ { on = 0 } on && /^```sh$/ { block = 1; next } block && /^```$/ { block = 0; next }
  on && block' "$source_root/docs/tutorial.md" >"$steps"
if [ -s "$steps" ] && (cd "$demo" && bash -e "$steps") >"$work/tutorial.txt" 2>&1; then
  pass "the tutorial's steps 3 and 4 build and capture"
else
  fail "the tutorial's steps 3 and 4: $(tail -10 "$work/tutorial.txt")"
fi
if (cd "$work" && "$demo/build/template" --capture --at 3 --size 320x180 --out "$work/rings") >"$work/rings.txt" 2>&1 &&
  [ -n "$at3" ] && mad=$("$stats" --diff "$at3" "$work/rings/frame_003.000.png" 2>&1) &&
  echo "$mad" | awk '$1 == "mad" { exit !($2 <= 2 && $3 <= 2 && $4 <= 2) } $1 != "mad" { exit 1 }'; then
  pass "after the tutorial's second world the frame at 3 s is the template's, its caption shown ($mad)"
else
  fail "after the tutorial's second world, 3 s: ${mad:-$(tail -3 "$work/rings.txt")}"
fi

# --- a material that does not compile stops the capture unless it is asked to go on ---
sed -i 's/vec3 top = vec3(0.95/vec3 top = vec3(nothing/' "$demo/assets/Sky.mat"
if cmake --build "$demo/build" >"$work/broken_build.txt" 2>&1; then
  (cd "$work" && "$demo/build/template" --capture --at 3 --size 160x90 --out "$work/broken") >"$work/broken.txt" 2>&1
  status=$?
  [ "$status" = 1 ] && grep -q "Sky.mat:24:" "$work/broken.txt" && grep -q -- "--keep-going" "$work/broken.txt" &&
    [ ! -e "$work/broken/frame_003.000.png" ] && pass "a broken material ends the capture with status 1, at its line" ||
    fail "a broken material: status $status, $(tail -4 "$work/broken.txt")"
  (cd "$work" && "$demo/build/template" --capture --keep-going --at 3 --size 160x90 --out "$work/broken") \
    >"$work/going.txt" 2>&1 && [ -f "$work/broken/frame_003.000.png" ] &&
    pass "--keep-going draws on past the broken material" || fail "--keep-going: $(tail -3 "$work/going.txt")"
else
  fail "the template with a broken material does not build: $(tail -5 "$work/broken_build.txt")"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
