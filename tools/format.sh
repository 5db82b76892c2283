#!/usr/bin/env bash
# The house format (.clang-format at the root) over every C and C++ source of the project:
#
#   bash tools/format.sh           formats the files in place
#   bash tools/format.sh --check   changes nothing; lists the files that differ and exits 1 when there are any
#
# The sources are the project's own folders; build folders are left out. clang-format 14 (Debian's) is the
# reference: other versions lay out a few constructs differently.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=0
case "${1:-}" in
--check) check=1 ;;
"") ;;
*)
  echo "usage: bash tools/format.sh [--check]" >&2
  exit 2
  ;;
esac

formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null; then
    formatter=$candidate
    break
  fi
done
if [ -z "$formatter" ]; then
  echo "format: clang-format is not installed (bash tools/setup.sh test installs it)" >&2
  exit 1
fi

folders=(animation app bench demo engine examples graphics interfaces math platform scene tests tools)
mapfile -t files < <(cd "$root" && find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) | sort)
if [ ${#files[@]} -eq 0 ]; then
  echo "format: no sources found under $root" >&2
  exit 1
fi

cd "$root"
if [ $check -eq 0 ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
# One run over every file; each file that differs is named in clang-format's messages.
report=$("$formatter" --dry-run -Werror "${files[@]}" 2>&1 >/dev/null) || true
mapfile -t differ < <(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ ${#differ[@]} -eq 0 ] && [ -n "$report" ]; then
  printf '%s\n' "$report" >&2 # clang-format failed for another reason
  exit 1
fi
if [ ${#differ[@]} -gt 0 ]; then
  echo "format: ${#differ[@]} of ${#files[@]} files differ from .clang-format ($formatter); bash tools/format.sh fixes them:" >&2
  printf '  %s\n' "${differ[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files match .clang-format ($formatter)"
