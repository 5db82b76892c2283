#!/usr/bin/env bash
# The documentation's links hold: every relative link of README.md, CONVENTIONS.md and docs/*.md names a
# file or folder of the source tree, and every source file a page names in backquotes (`demo/k_Demo.cpp`,
# `tools/format.sh`) exists, so that moving or renaming a file cannot leave the pages pointing nowhere.
#   doc_links.sh <source-dir>
set -uo pipefail
root=$(cd "$1" && pwd)
failures=0
pages=("$root/README.md" "$root/CONVENTIONS.md" "$root"/docs/*.md)
for page in "${pages[@]}"; do
  dir=$(dirname "$page")
  name=${page#"$root/"}
  # [text](target) with a relative target; anchors and web addresses are left alone.
  while read -r target; do
    target=${target%%#*}
    [ -z "$target" ] && continue
    if [ ! -e "$dir/$target" ]; then
      echo "FAIL: $name links to $target, which does not exist"
      failures=$((failures + 1))
    fi
  done < <(grep -oE '\]\([^)]+\)' "$page" | sed -E 's/^\]\(//; s/\)$//' | grep -vE '^(https?|mailto):')
  # `folder/file.ext` for the project's own folders.
  while read -r path; do
    if [ ! -e "$root/$path" ]; then
      echo "FAIL: $name names $path, which does not exist"
      failures=$((failures + 1))
    fi
  done < <(grep -oE '`(app|engine|graphics|scene|animation|demo|math|interfaces|platform|assets|tools|tests|bench|examples|docs)/[A-Za-z0-9_./-]+\.(cpp|h|sh|mat|txt|cmake|vert|md|6)`' "$page" |
    tr -d '`' | sort -u)
done
echo "$failures broken link(s) in ${#pages[@]} pages"
[ "$failures" -eq 0 ]
