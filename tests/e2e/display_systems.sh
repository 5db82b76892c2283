#!/usr/bin/env bash
# End to end, the same binary on each display system it draws through here, its GL loaded by libepoxy from
# whichever of GLX or EGL made the context:
#   GLX       the X display (Xvfb), SDL's x11 driver
#   EGL       no display at all, SDL's offscreen driver; where a mount namespace can be had (root), on a system
#             without the GLX libraries too: libGL.so.1 and libGLX.so.0 are hidden from the run
#   Wayland   a native Wayland client of weston, with an X display beside it as in a desktop session that also
#             runs XWayland. (weston's own window on the X display gives it a seat: SDL 2.26's wayland driver
#             crashes on a compositor without one, such as weston's headless backend.)
# At the 13 moments of show_frames.sh (sought, as --at does) the three draw the same frames, within 1/255 a
# channel at every pixel. The dynamic linker's trace (LD_DEBUG) of the run without a display shows that GLX's
# implementation is never loaded, and without the GLX libraries that every GL symbol comes from libOpenGL. A
# Wayland socket that does not answer falls back to X11, and a driver without the OpenGL version or an
# extension the engine calls is refused with its message.
#   bash display_systems.sh <bin-dir>
set -uo pipefail
bin=$(cd "$1" && pwd)
capture="$bin/starwane-capture"
stats="$bin/orvelant_picture_stats"
work=$(mktemp -d)
weston_pid=""
cleanup() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  true
  rm -rf "$work"
}
trap cleanup EXIT
# What these checks depend on, whoever starts them: no sound device, Mesa's software renderer, and each run's
# display system chosen below (never one inherited from the caller).
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
unset SDL_VIDEODRIVER WAYLAND_DISPLAY MESA_GL_VERSION_OVERRIDE MESA_EXTENSION_OVERRIDE
failures=0

# shellcheck source=lib/session.sh
. "$(dirname "$0")/lib/session.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "FAIL: no X display (DISPLAY is not set): run under xvfb-run"
  exit 1
fi
if ! command -v weston >/dev/null; then
  echo "FAIL: weston is not installed (bash tools/setup.sh test installs it)"
  exit 1
fi

moments=5,20,30,40,50,55,74,77,100,139,150,172,190
# draw <name> [env assignments...]: the moments into $work/<name>, its log in <name>.out and <name>.err.
draw() {
  local name=$1
  shift
  env "$@" "$capture" --at $moments --to 190 --fps 10 --size 160x90 --out "$work/$name" >"$work/$name.out" \
    2>"$work/$name.err"
}
# driver_of <name>: the SDL video driver the run logged.
driver_of() { sed -n 's/^DISPLAY :: SDL video driver: //p' "$work/$1.out" | head -1; }
# drawn <name> <driver>: the run ended well, on that driver, with no GL error.
drawn() {
  local name=$1 driver=$2 status=$3
  if [ "$status" = 0 ] && [ "$(driver_of "$name")" = "$driver" ] && ! grep -q "OPENGL :: ERROR" "$work/$name.out" &&
    [ "$(ls "$work/$name" | wc -l)" = 13 ]; then
    pass "$name: 13 moments drawn through SDL's $driver driver ($(grep -m1 'OPENGL :: Version' "$work/$name.out"))"
  else
    fail "$name: status $status, driver '$(driver_of "$name")', $(grep -m2 'OPENGL :: ERROR' "$work/$name.out")" \
      "$(tail -3 "$work/$name.err")"
  fi
}

# --- GLX: the X display ---
draw glx LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ldglx"
drawn glx x11 $?
loaded=$(cat "$work"/ldglx.* 2>/dev/null | grep -oE 'calling init: [^ ]+' | grep -oE '[^/]+$' | sort -u)
rm -f "$work"/ldglx.*
grep -q '^libGLX_mesa' <<<"$loaded" && ! grep -q '^libEGL_mesa' <<<"$loaded" &&
  pass "glx: the context is Mesa's GLX, no EGL loaded" ||
  fail "glx: GL libraries loaded: $(grep -E '^lib(GL|EGL|OpenGL)' <<<"$loaded" | tr '\n' ' ')"

# --- EGL: no display at all (and, where it can be arranged, no GLX library), traced by the dynamic linker ---
glx_libraries=()
for library in libGL.so.1 libGLX.so.0; do
  path=$(ldconfig -p | awk -v l="$library" '$1 == l && /x86-64|64bit/ { print $NF; exit }')
  [ -n "$path" ] && glx_libraries+=("$(readlink -f "$path")")
done
hidden=0
if [ ${#glx_libraries[@]} -gt 0 ] && unshare -m true 2>/dev/null; then
  hidden=1
  # A private mount namespace: /dev/null stands over each GLX library, for this run only.
  hide="for f in ${glx_libraries[*]}; do mount --bind /dev/null \"\$f\" || exit 97; done; exec \"\$@\""
  draw egl -u DISPLAY LD_DEBUG=libs,bindings LD_DEBUG_OUTPUT="$work/ld" unshare -m sh -c "$hide" sh
else
  echo "note: no mount namespace here (not root?): the run without a display keeps the GLX libraries installed"
  draw egl -u DISPLAY LD_DEBUG=libs,bindings LD_DEBUG_OUTPUT="$work/ld"
fi
drawn egl offscreen $?
if ! ls "$work"/ld.* >/dev/null 2>&1; then
  fail "egl: no trace of the dynamic linker"
else
  cat "$work"/ld.* >"$work/trace"
  rm -f "$work"/ld.*
  loaded=$(grep -oE 'calling init: [^ ]+' "$work/trace" | grep -oE '[^/]+$' | sort -u)
  grep -q '^libEGL_mesa' <<<"$loaded" && pass "egl: the context is Mesa's EGL" || fail "egl: Mesa's EGL not loaded"
  # GLX's implementation (Mesa's GLX vendor library) is what would open an X connection and make GLX contexts.
  grep -q '^libGLX_' <<<"$loaded" && fail "egl: GLX's implementation loaded: $(grep '^libGLX_' <<<"$loaded")" ||
    pass "egl: GLX's implementation never loaded"
  if [ $hidden = 1 ]; then
    grep -qE '^lib(GL|GLX)\.so' <<<"$loaded" && fail "egl: a hidden GLX library was loaded" ||
      pass "egl: drawn with the GLX libraries hidden: $(tr '\n' ' ' <<<"$loaded" | grep -oE 'lib(OpenGL|EGL|GLU)[^ ]*' | tr '\n' ' ')"
    # The GL functions looked up or linked by name (the others libepoxy asks eglGetProcAddress for).
    grep -E "normal symbol \`gl[A-Z]" "$work/trace" >"$work/gl_symbols"
    sources=$(grep -oE ' to [^ ]+' "$work/gl_symbols" | sort -u | tr '\n' ' ')
    [ -s "$work/gl_symbols" ] && ! grep -qv ' to [^ ]*/libOpenGL\.so\.0 ' "$work/gl_symbols" &&
      pass "egl: all $(wc -l <"$work/gl_symbols") GL symbols bound from libOpenGL" || fail "egl: GL symbols bound$sources"
  fi
fi
# --- Wayland: weston in a window of the X display, which is also left to the program, as XWayland would be ---
runtime="$work/runtime"
socket="orvelant-$$"
if start_weston "$runtime" "$socket" "$work/weston.log"; then
  draw wayland XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket"
  drawn wayland wayland $?
else
  fail "weston did not start: $(tail -5 "$work/weston.log")"
fi

# --- the same frames on each ---
for frame in "$work"/glx/frame_*.png; do
  name=$(basename "$frame")
  for other in egl wayland; do
    [ -f "$work/$other/$name" ] || continue
    diff=$("$stats" --diff "$frame" "$work/$other/$name" 2>&1)
    if awk '$1 == "mad" && $5 == "max" { exit !($6 <= 1) } $1 != "mad" { exit 1 }' <<<"$diff"; then
      pass "$name on $other as on GLX: $diff"
    else
      fail "$name on $other differs from GLX: $diff"
    fi
  done
done

# --- a Wayland socket that does not answer: X11 (XWayland in a real session) takes over ---
env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="no-compositor-$$" "$capture" --at 1 --size 64x36 \
  --out "$work/fallback" >"$work/fallback.out" 2>"$work/fallback.err"
status=$?
[ "$status" = 0 ] && [ "$(driver_of fallback)" = x11 ] && [ -f "$work/fallback/frame_001.000.png" ] &&
  pass "no compositor behind WAYLAND_DISPLAY: drawn through x11" ||
  fail "fallback: status $status, driver '$(driver_of fallback)', $(tail -2 "$work/fallback.err")"

# --- a driver without what the engine calls: refused by name, nothing drawn ---
refused() {
  local what=$1 message=$2 logged=$3
  shift 3
  env -u DISPLAY "$@" "$capture" --at 1 --size 64x36 --out "$work/refused" >"$work/refused.out" \
    2>"$work/refused.err"
  local status=$?
  if [ "$status" = 1 ] && grep -qF "starwane-capture: $message" "$work/refused.err" &&
    grep -qF "$logged" "$work/refused.out" && [ -z "$(ls -A "$work/refused" 2>/dev/null)" ]; then
    pass "$what: $(cat "$work/refused.err")"
  else
    fail "$what: status $status, $(cat "$work/refused.err"), $(grep -m1 'OPENGL :: The' "$work/refused.out")"
  fi
}
refused "OpenGL 2.1" "The OpenGL driver is too old: OpenGL 3.0 or newer is needed!" \
  "OPENGL :: The driver offers OpenGL 2.1; the engine needs 3.0 or newer." MESA_GL_VERSION_OVERRIDE=2.1
refused "no framebuffer objects" "The OpenGL driver has no framebuffer objects (GL_EXT_framebuffer_object)!" \
  "OPENGL :: The driver lacks the extension GL_EXT_framebuffer_object." \
  MESA_EXTENSION_OVERRIDE=-GL_EXT_framebuffer_object

echo "$failures failure(s)"
[ "$failures" = 0 ]
