#!/usr/bin/env bash
# End to end: install the build into a temporary DESTDIR as a packager would
# (prefix /usr), check what went where and that the desktop files validate,
# start the installed games/starwane link from another working folder and
# cancel its dialog (status 0), run the installed capture program for one
# frame and the installed studio for half a second of the show (it reads the
# pack only: no source tree is watched), read the installed manual pages, then
# build the Debian package and check its contents and the library dependencies
# dpkg-shlibdeps worked out, and the development files' package beside it.
#   bash install.sh <bin-dir>
# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"
# The bin folder, a work folder removed at the end, the X display without sound on Mesa's software renderer.
e2e_open "$1"
build=$(cd "$bin/.." && pwd)
title="Orvelant - starwane"

# Width and height of a PNG, from its header.
png_size() {
  od -An -t u1 -j 16 -N 8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}

# --- install ---
root="$work/root"
if DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.txt" 2>&1; then
  pass "cmake --install"
else
  fail "cmake --install: $(cat "$work/install.txt")"
fi
usr="$root/usr"
for f in lib/games/starwane/starwane lib/games/starwane/starwane-capture lib/games/starwane/starwane-studio \
         lib/games/starwane/data.pak \
         share/applications/org.orvelant.starwane.desktop share/metainfo/org.orvelant.starwane.metainfo.xml \
         share/man/man6/starwane.6.gz share/man/man6/starwane-capture.6.gz share/man/man6/starwane-studio.6.gz \
         share/doc/starwane/copyright share/doc/starwane/changelog.gz; do
  [ -f "$usr/$f" ] || fail "not installed: $f"
done
[ -x "$usr/lib/games/starwane/starwane" ] || fail "the installed program is not executable"
[ "$(readlink "$usr/games/starwane")" = "../lib/games/starwane/starwane" ] &&
  pass "games/starwane links to lib/games/starwane/starwane" ||
  fail "games/starwane is not the relative link: $(ls -l "$usr/games/starwane" 2>&1)"
for size in 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/org.orvelant.starwane.png"
  [ "$(png_size "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "icon ${size}x${size} missing or of the wrong size"
done
desktop-file-validate "$usr/share/applications/org.orvelant.starwane.desktop" >"$work/dfv.txt" 2>&1 &&
  pass "the desktop entry validates" || fail "desktop-file-validate: $(cat "$work/dfv.txt")"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/org.orvelant.starwane.metainfo.xml" >"$work/asv.txt" 2>&1 &&
  pass "the AppStream metadata validates" || fail "appstreamcli validate: $(cat "$work/asv.txt")"
grep -q "^Icon=org.orvelant.starwane$" "$usr/share/applications/org.orvelant.starwane.desktop" ||
  fail "the desktop entry does not name the installed icon"

# --- the installed link, started from somewhere else: the dialog opens, cancel ends with 0 ---
mkdir -p "$work/elsewhere"
(cd "$work/elsewhere" && exec "$usr/games/starwane") >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
if dialog=$(wait_window "$title" 120); then
  pass "the installed program shows its dialog"
  keys "${dialog%% *}" Escape
  wait_exit "$pid" 120
  [ "$status" = 0 ] && pass "cancel ends the installed program with status 0" || fail "cancel: status $status"
  [ -s "$work/err.txt" ] && fail "standard error: $(cat "$work/err.txt")"
else
  fail "the installed program shows no dialog: $(cat "$work/err.txt")"; kill "$pid" 2>/dev/null
fi

# --- the installed capture program: one frame, from another working folder ---
[ "$(readlink "$usr/games/starwane-capture")" = "../lib/games/starwane/starwane-capture" ] ||
  fail "games/starwane-capture is not the relative link"
if (cd "$work/elsewhere" && "$usr/games/starwane-capture" --at 1 --size 160x90 --out "$work/frames") \
  >"$work/capture.txt" 2>&1; then
  frame=$(ls "$work"/frames/*.png 2>/dev/null | head -1)
  [ -n "$frame" ] && [ "$(png_size "$frame")" = "160x90" ] && pass "the installed capture program drew a frame" ||
    fail "the installed capture program wrote no 160x90 frame: $(ls "$work/frames" 2>&1)"
else
  fail "the installed capture program failed: $(tail -5 "$work/capture.txt")"
fi

# --- the installed studio: a short stretch of the show, from another working folder ---
[ "$(readlink "$usr/games/starwane-studio")" = "../lib/games/starwane/starwane-studio" ] ||
  fail "games/starwane-studio is not the relative link"
if (cd "$work/elsewhere" && timeout 120 "$usr/games/starwane-studio" --at 1 --quit-at 1.5 --size 160x90) \
  >"$work/studio.txt" 2>&1; then
  grep -q "frames played" "$work/studio.txt" && pass "the installed studio played the show" ||
    fail "the installed studio played nothing: $(tail -5 "$work/studio.txt")"
  # Installed, it has no source tree: it reads the pack only and watches nothing.
  grep -q "Studio: serving and watching" "$work/studio.txt" && fail "the installed studio watches a folder"
else
  fail "the installed studio failed: $(tail -5 "$work/studio.txt")"
fi

# --- the manual pages: gzipped roff, and every option the capture program's --help lists is in its page ---
for page in starwane starwane-capture starwane-studio; do
  source=$(zcat "$usr/share/man/man6/$page.6.gz" 2>/dev/null | sed 's/\\-/-/g')
  grep -q "^\.TH $(tr a-z A-Z <<<"$page") 6 " <<<"$source" && pass "man page $page(6)" || fail "no man page $page(6)"
done
for program in starwane-capture starwane-studio; do
  "$usr/games/$program" --help >"$work/help.txt" 2>&1
  options=$(grep -oE '^ +--[a-z-]+' "$work/help.txt" | tr -d ' ')
  missing=""
  for option in $options; do
    grep -q -- "$option" <<<"$(zcat "$usr/share/man/man6/$program.6.gz" | sed 's/\\-/-/g')" || missing="$missing $option"
  done
  [ -n "$options" ] && [ -z "$missing" ] && pass "$program(6) describes all $(wc -w <<<"$options") options of --help" ||
    fail "$program(6) lacks:$missing (options: $options)"
done

# --- the Debian package ---
if (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package") >"$work/cpack.txt" 2>&1; then
  deb=$(ls "$work"/package/starwane_*.deb 2>/dev/null | head -1)
  if [ -n "$deb" ]; then
    pass "cpack made $(basename "$deb")"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for lib in libsdl2 libgtk-3 libepoxy libvorbisfile libpng; do
      grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
    done
    dpkg-deb -c "$deb" >"$work/contents.txt"
    for f in ./usr/lib/games/starwane/starwane ./usr/lib/games/starwane/starwane-capture \
             ./usr/lib/games/starwane/starwane-studio ./usr/lib/games/starwane/data.pak \
             ./usr/games/starwane ./usr/games/starwane-capture ./usr/games/starwane-studio \
             ./usr/share/applications/org.orvelant.starwane.desktop \
             ./usr/share/man/man6/starwane.6.gz ./usr/share/man/man6/starwane-capture.6.gz \
             ./usr/share/man/man6/starwane-studio.6.gz \
             ./usr/share/doc/starwane/copyright ./usr/share/doc/starwane/changelog.gz; do
      grep -qF " $f" "$work/contents.txt" || fail "the package lacks $f"
    done
    # The show's package holds the show only; the development files are a package of their own.
    grep -qF "liborvelant.a" "$work/contents.txt" && fail "the show's package holds the engine's library"
  else
    fail "cpack made no starwane .deb: $(cat "$work/cpack.txt")"
  fi
  dev=$(ls "$work"/package/liborvelant-dev_*.deb 2>/dev/null | head -1)
  if [ -n "$dev" ]; then
    pass "cpack made $(basename "$dev")"
    [ "$(dpkg-deb -f "$dev" Section)" = "libdevel" ] || fail "liborvelant-dev is not in section libdevel"
    depends=$(dpkg-deb -f "$dev" Depends)
    for package in libsdl2-dev libepoxy-dev libglu1-mesa-dev libvorbis-dev pkg-config; do
      grep -q "$package" <<<"$depends" || fail "liborvelant-dev does not depend on $package"
    done
    dpkg-deb -c "$dev" >"$work/dev-contents.txt"
    lib=./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
    for f in "$lib/liborvelant.a" ./usr/include/orvelant/app/k_DemoShell.h \
             "$lib/cmake/Orvelant/OrvelantConfig.cmake" "$lib/cmake/Orvelant/OrvelantTargets.cmake" \
             "$lib/pkgconfig/orvelant.pc" ./usr/lib/orvelant/orvelant_pack \
             ./usr/share/orvelant/template/main.cpp ./usr/share/doc/liborvelant-dev/copyright; do
      grep -qF " $f" "$work/dev-contents.txt" || fail "liborvelant-dev lacks $f"
    done
    grep -qF "starwane-capture" "$work/dev-contents.txt" && fail "liborvelant-dev holds the show's programs"
    # The package's library is installed stripped of its debug information; an install without --strip keeps it.
    dpkg-deb -x "$dev" "$work/dev-tree"
    sections=$(objdump -h "$work/dev-tree/$lib/liborvelant.a" 2>&1)
    if grep -q "\.debug_info" <<<"$sections" || ! grep -q "\.text" <<<"$sections"; then
      fail "liborvelant-dev's library is not stripped of its debug information (or holds no code)"
    else
      pass "liborvelant-dev's library holds code and no debug information"
    fi
    grep -q "\.debug_info" <<<"$(objdump -h "$root/$lib/liborvelant.a" 2>&1)" ||
      fail "cmake --install without --strip left out the library's debug information"
  else
    fail "cpack made no liborvelant-dev .deb: $(cat "$work/cpack.txt")"
  fi
else
  fail "cpack -G DEB: $(cat "$work/cpack.txt")"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
