#!/usr/bin/env bash
# Fuzzes the loaders with libFuzzer, each target for the given seconds:
#
#   bash tools/fuzz.sh [--runs N] SECONDS [TARGET...]
#
# --runs N ends a target after N executions if that comes before its time is up.
# TARGET is a class with a fuzz target in tests/fuzz (k_FileSystem, k_PngTexture, k_JpegTexture, k_OggStream,
# k_MaterialLoader, k_Shader); all of them when none is named. The targets are built with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz/ (the normal build is left alone). Each starts
# from the seed corpus the normal build writes (build/fuzz-corpus/TARGET) and keeps what it learns in
# build-fuzz/corpus/TARGET; a crash, hang (over 5 s per input) or allocation over 256 MB is written to
# build-fuzz/findings/TARGET/. The last lines of each run (executions, coverage) are printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage="usage: bash tools/fuzz.sh [--runs N] SECONDS [TARGET...]"
runs=-1
if [ "${1:-}" = --runs ]; then
  runs=${2:?$usage}
  shift 2
fi
seconds=${1:?$usage}
shift

bash "$root/tools/build.sh" fuzz # the seed corpora come from the built pack and the test build
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DORV_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-fuzz" --target orvelant_fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%_fuzz}")
  done
fi

status=0
for target in "${targets[@]}"; do
  corpus="$root/build-fuzz/corpus/$target"
  findings="$root/build-fuzz/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "== $target: ${seconds} s"
  # The tune's stream is decoded to its end for every input: short inputs keep it to hundreds a second.
  max_len=262144
  [ "$target" = k_OggStream ] && max_len=16384
  # stdout (the engine's log lines) is closed; libFuzzer reports on stderr.
  # Leaks inside the system libraries are named in the suppressions, each with its reason.
  # The pack target writes each input to a temporary file: memory-backed storage keeps that off the disk.
  tmp=${TMPDIR:-/tmp}
  [ -d /dev/shm ] && [ -w /dev/shm ] && tmp=/dev/shm
  start=$(date +%s)
  if ! TMPDIR=$tmp LSAN_OPTIONS=suppressions=$root/tests/sanitize/lsan.supp "$root/build-fuzz/bin/${target}_fuzz" "$corpus" "$root/build/fuzz-corpus/$target" \
    -max_total_time="$seconds" -runs="$runs" -timeout=5 -malloc_limit_mb=256 -rss_limit_mb=2048 -max_len="$max_len" \
    -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$findings/" >"$root/build-fuzz/$target.log" 2>&1; then
    status=1
    echo "   FINDING: see $root/build-fuzz/$target.log and $findings/"
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb|.*cov:.*ft:)" "$root/build-fuzz/$target.log" | tail -4
  echo "   $(($(date +%s) - start)) s, corpus now $(find "$corpus" -type f | wc -l) inputs"
done
exit $status
