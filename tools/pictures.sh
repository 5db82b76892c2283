#!/usr/bin/env bash
# Draws the README's pictures of the show with the capture program, so that they can be made again after
# the show changes:
#
#   bash tools/pictures.sh [BIN-DIR]
#
# Three moments of the show (the landscape, thanks over the plasma, the logo) at 640x360 and 10 frames a
# second, written by ffmpeg as JPEG files of a few dozen kilobytes into docs/pictures/. BIN-DIR holds
# starwane-capture (default build/bin); no display is needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$root/build/bin}" && pwd)
bash "$root/tools/setup.sh" pictures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name, demo time in seconds
shots=("landscape 50" "plasma 95" "logo 190")
times=$(printf '%s\n' "${shots[@]}" | awk '{ print $2 }' | paste -sd, -)
SDL_AUDIODRIVER=dummy "$bin/starwane-capture" --at "$times" --size 640x360 --fps 10 --out "$work" >"$work/log.txt"
mkdir -p "$root/docs/pictures"
for shot in "${shots[@]}"; do
  read -r name time <<<"$shot"
  frame=$(printf '%s/frame_%07.3f.png' "$work" "$time")
  ffmpeg -loglevel error -y -i "$frame" -q:v 5 "$root/docs/pictures/$name.jpg"
  echo "pictures: docs/pictures/$name.jpg ($time s, $(($(stat -c %s "$root/docs/pictures/$name.jpg") / 1024)) KB)"
done
