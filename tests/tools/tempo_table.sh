#!/usr/bin/env bash
# How well orvelant_tempo measures a tempo map: tunes whose maps are known (starwane's own, metronomes from
# orvelant_beatgen at 90, 128 and 174 BPM and one that changes from 90 to 140 BPM), each as made, after a
# lossy round trip (Ogg Vorbis at quality 0) and with 2 s of silence before (as WAV). Each row: the file's
# anchors, the measured ones (written into a copy of the show file by --show), every beat of the show
# compared by bar and beat, and how far the measured map's beats lie from the tracked beats. Prints the
# table in Markdown; fails when a map's beats lie more than 10 ms (median) or 30 ms (largest) from the
# file's, or more than 30 ms from the tracked beats, or when a recording is refused.
#   bash tempo_table.sh <bin-dir> <Show.txt> <starwane's tune>
set -u
bin=$1
show=$2
tune=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Oggs from ffmpeg: the lossy copy, and the one with silence before written as WAV (not lossy twice).
lossy() { ffmpeg -loglevel error -y -i "$1" -c:a libvorbis -q:a 0 "$2"; }
late() { ffmpeg -loglevel error -y -i "$1" -af "adelay=2000:all=1" -c:a pcm_s16le "$2"; }
# The show file's tempo map two seconds later: its length and its tempo lines' seconds.
# (Only those: other entries given in seconds might no longer fit the bars.)
later() {
  awk '$1 == "length" { print "length", $2 + 2; print "section all 0" }
       $1 == "tempo" { $3 = sprintf("%.3f", $3 + 2); print }' "$1" >"$2"
}

# measure NAME EXPECTED_SHOW AUDIO
measure() {
  local name=$1 expected=$2 audio=$3
  cp "$expected" "$work/measured.txt"
  if ! "$bin/orvelant_tempo" "$audio" --show "$work/measured.txt" >"$work/out.txt" 2>&1; then
    echo "| $name | refused: $(tail -1 "$work/out.txt") | | | | | | |"
    failures=$((failures + 1))
    return
  fi
  local fit row
  fit=$(sed -n 's/^fit: .* lie \([0-9.]*\) ms (median) and at most \([0-9.]*\) ms.*/\1 | \2/p' "$work/out.txt")
  row=$("$bin/orvelant_tempo_compare" "$expected" "$work/measured.txt")
  echo "| $name | $row | $fit |"
  if ! awk -F'|' -v fit="$fit" 'BEGIN { split(fit, f, "|") } { exit !($4 <= 10 && $5 <= 30 && f[2] <= 30) }' <<<"$row"; then
    echo "$name: the measured map is off (the limits: 10 ms median, 30 ms largest)" >&2
    failures=$((failures + 1))
  fi
}

# three rows a tune: as made, lossy, late
rows() {
  local name=$1 expected=$2 audio=$3
  measure "$name" "$expected" "$audio"
  lossy "$audio" "$work/lossy.ogg" && measure "$name, lossy" "$expected" "$work/lossy.ogg"
  late "$audio" "$work/late.wav" && later "$expected" "$work/later.txt" && measure "$name, 2 s later" "$work/later.txt" "$work/late.wav"
}

echo "| tune | the file's anchors (bar@s) | measured anchors | beats compared | to the file: median (ms) | largest (ms) | to the tracked beats: median (ms) | largest (ms) |"
echo "|---|---|---|---|---|---|---|---|"
rows "starwane" "$show" "$tune"
for bpm in 90 128 174; do
  printf 'length 60\nsection all 0\ntempo 1 0.5 bpm %s\n' "$bpm" >"$work/m$bpm.txt"
  "$bin/orvelant_beatgen" "$work/m$bpm.ogg" --show "$work/m$bpm.txt" || failures=$((failures + 1))
  rows "metronome $bpm BPM" "$work/m$bpm.txt" "$work/m$bpm.ogg"
done
# 15 bars at 90 BPM, then 140 BPM.
printf 'length 60\nsection all 0\ntempo 1 0.5\ntempo 16 40.5 bpm 140\n' >"$work/change.txt"
"$bin/orvelant_beatgen" "$work/change.ogg" --show "$work/change.txt" || failures=$((failures + 1))
rows "metronome 90 to 140 BPM" "$work/change.txt" "$work/change.ogg"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
