#!/usr/bin/env bash
# End to end: a long render split into ranges drawn by separate runs and joined without re-encoding, as the
# README shows. Two ranges, 4 to 5 s and 5 to 6 s, as Matroska parts (FLAC sound of exact length) joined by
# ffmpeg's concat demuxer, against one render of 4 to 6 s: the same number of frames, the same duration of
# picture and sound to the sample, and every picture the same within 2/255 a channel (each range starts with
# its own warm-up, and H.264 codes the join's frames apart).
#   bash split_render.sh <bin-dir>
set -uo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
capture="$bin/starwane-capture"
stats="$bin/orvelant_picture_stats"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

render() { # <from> <to> <file>
  "$capture" --size 160x90 --fps 30 --from "$1" --to "$2" --video "$3" >/dev/null 2>"$3.err" ||
    fail "render $1 to $2: $(tail -2 "$3.err")"
}
render 4 6 "$work/whole.mkv"
render 4 5 "$work/part1.mkv"
render 5 6 "$work/part2.mkv"
printf "file '%s'\n" "$work/part1.mkv" "$work/part2.mkv" >"$work/parts.txt"
ffmpeg -nostdin -v error -f concat -safe 0 -i "$work/parts.txt" -c copy "$work/joined.mkv" ||
  fail "ffmpeg could not join the parts"

# frames <file>: the decoded frame count of the video stream; sound <file> <out>: the decoded sound as raw
# 16-bit stereo samples.
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
sound() { ffmpeg -nostdin -v error -i "$1" -map 0:a -f s16le -ac 2 "$2"; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }

whole=$(frames "$work/whole.mkv")
joined=$(frames "$work/joined.mkv")
[ "$whole" = 60 ] && [ "$joined" = 60 ] && pass "60 frames whole and joined" ||
  fail "frames: whole $whole, joined $joined"
sound "$work/whole.mkv" "$work/whole.pcm" && sound "$work/joined.mkv" "$work/joined.pcm" ||
  fail "ffmpeg could not decode the sound"
whole=$(($(stat -c %s "$work/whole.pcm") / 4))
[ "$whole" = 88200 ] && pass "2 s of sound, 88200 samples" || fail "the whole render's sound: $whole samples"
cmp -s "$work/whole.pcm" "$work/joined.pcm" && pass "the joined sound is the whole render's, sample for sample" ||
  fail "the joined sound differs: $(($(stat -c %s "$work/joined.pcm") / 4)) samples"

mkdir -p "$work/w" "$work/j"
ffmpeg -nostdin -v error -i "$work/whole.mkv" "$work/w/%03d.png" && ffmpeg -nostdin -v error -i "$work/joined.mkv" \
  "$work/j/%03d.png" || fail "ffmpeg could not decode the frames"
worst=0
for frame in "$work"/w/*.png; do
  mad=$("$stats" --diff "$frame" "$work/j/$(basename "$frame")" 2>&1)
  worst=$(echo "$mad" | awk -v w="$worst" '$1 == "mad" { m = $2; if ($3 > m) m = $3; if ($4 > m) m = $4;
    print (m > w ? m : w); next } { print 999 }')
done
near "$worst" 0 2 && pass "every joined picture within $worst/255 of the whole render's" ||
  fail "a joined picture lies $worst/255 from the whole render's"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
