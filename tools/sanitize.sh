#!/usr/bin/env bash
# The show through the capture program under the memory checkers:
#
#   bash tools/sanitize.sh asan [FROM TO]       AddressSanitizer + UndefinedBehaviorSanitizer (default: 0 to 200 s)
#   bash tools/sanitize.sh valgrind [FROM TO]   valgrind memcheck on the normal build (default: 0 to 4 s)
#
# Frames are drawn at 160x90, 5 a second, and not written (--bench). The sanitizer build lives in
# build-asan/ (gcc, -DORV_SANITIZE=ON); the normal build/ is left alone. Reports that lie wholly in Mesa or
# the system libraries are suppressed by the files in tests/sanitize/, each entry with its reason; anything
# else fails the run. The whole log is kept (build-asan/sanitize-asan.log, build/sanitize-valgrind.log) and its
# path printed at the end. Needs a display: run it under xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:?usage: bash tools/sanitize.sh asan|valgrind [FROM TO]}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export LIBGL_ALWAYS_SOFTWARE=1

case "$tool" in
asan)
  from=${2:-0}
  to=${3:-200}
  bash "$root/tools/setup.sh" sanitize
  cmake -S "$root" -B "$root/build-asan" -G Ninja -DORV_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build-asan" --target starwane-capture
  log=$root/build-asan/sanitize-asan.log
  export ASAN_OPTIONS=detect_leaks=1:malloc_context_size=30
  export LSAN_OPTIONS=suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=1
  export UBSAN_OPTIONS=print_stacktrace=1:suppressions=$root/tests/sanitize/ubsan.supp
  status=0
  started=$SECONDS
  (cd "$root/build-asan/bin" && ./starwane-capture --bench --from "$from" --to "$to" --fps 5 --size 160x90) \
    >"$log" 2>&1 || status=$?
  grep -E "^starwane-capture:|ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY|Suppressions used|^ *[0-9]+ +[0-9]+ +(leak|[a-z])" "$log" |
    head -60 || true
  if [ "$status" -ne 0 ] || grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$log"; then
    echo "sanitize: findings (status $status); the whole log: $log"
    exit 1
  fi
  echo "sanitize: the show from $from to $to s under ASan and UBSan reported nothing" \
    "($((SECONDS - started)) s); the whole log: $log"
  ;;
valgrind)
  from=${2:-0}
  to=${3:-4}
  bash "$root/tools/build.sh" sanitize
  log=$root/build/sanitize-valgrind.log
  status=0
  started=$SECONDS
  (cd "$root/build/bin" && valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --error-exitcode=3 --num-callers=30 \
    --suppressions="$root/tests/sanitize/valgrind.supp" \
    ./starwane-capture --bench --from "$from" --to "$to" --fps 5 --size 160x90) >"$log" 2>&1 || status=$?
  grep -E "^starwane-capture:|ERROR SUMMARY|definitely lost|Invalid (read|write)|used_suppression" "$log" | head -40 || true
  if [ "$status" -ne 0 ]; then
    echo "sanitize: memcheck findings (status $status); the whole log: $log"
    exit 1
  fi
  echo "sanitize: the show from $from to $to s under valgrind memcheck: no invalid access, nothing definitely lost" \
    "($((SECONDS - started)) s); the whole log: $log"
  ;;
*)
  echo "usage: bash tools/sanitize.sh asan|valgrind [FROM TO]" >&2
  exit 2
  ;;
esac
