#!/usr/bin/env bash
# orvelant_tempo on what it must refuse (silence, noise, a beatless pad, a file shorter than a bar, files it
# cannot read: status 1 and a message saying why), its rewrite of a show file with CRLF line ends and a byte
# order mark (every line but the tempo lines kept byte for byte), and the build's check (--check): a
# malformed show file or a missing caption picture fails with file:line:column, a map that has drifted from
# the recording warns and passes.
#   bash tempo_refusals.sh <bin-dir>
set -u
bin=$1
tempo="$bin/orvelant_tempo"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "ok: $*"; }
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect_refusal NAME FILE WORDS: status 1 and the words in the message
expect_refusal() {
  "$tempo" "$2" >"$work/out.txt" 2>&1
  local status=$?
  if [ "$status" -eq 1 ] && grep -q "$3" "$work/out.txt"; then
    pass "$1 refused: $(head -1 "$work/out.txt")"
  else
    fail "$1: status $status, $(cat "$work/out.txt")"
  fi
}

lavfi() { ffmpeg -loglevel error -y -f lavfi -i "$1" -t 20 "$2"; }
lavfi "anullsrc=r=44100:cl=stereo" "$work/silence.wav"
lavfi "anoisesrc=c=white:a=0.3" "$work/noise.wav"
ffmpeg -loglevel error -y -f lavfi -i "sine=f=220" -f lavfi -i "sine=f=277" -f lavfi -i "sine=f=330" \
  -filter_complex "amix=inputs=3,afade=t=in:d=3" -t 20 -c:a libvorbis "$work/pad.ogg"
printf 'length 1\nsection all 0\ntempo 1 0 bpm 120\n' >"$work/short.txt"
"$bin/orvelant_beatgen" "$work/short.ogg" --show "$work/short.txt"
echo "not a recording" >"$work/text.ogg"
head -c 4000 "$work/pad.ogg" >"$work/cut.ogg"
expect_refusal "silence" "$work/silence.wav" "no steady beat"
expect_refusal "white noise" "$work/noise.wav" "no steady beat"
expect_refusal "a beatless pad" "$work/pad.ogg" "no steady beat"
expect_refusal "a file shorter than a bar" "$work/short.ogg" "shorter than a bar"
expect_refusal "a text file" "$work/text.ogg" "neither Ogg Vorbis nor WAV"
expect_refusal "a cut Ogg file" "$work/cut.ogg" "$work/cut.ogg"
expect_refusal "a missing file" "$work/missing.ogg" "cannot be opened"

# --- the rewrite: CRLF, a byte order mark, comments and entries kept ---
printf 'length 30\nsection all 0\ntempo 1 0.5 bpm 128\n' >"$work/m128.txt"
"$bin/orvelant_beatgen" "$work/m128.ogg" --show "$work/m128.txt"
printf '\xEF\xBB\xBF# my show\r\nlength 30\r\n\r\ntempo 1 0   # a guess\r\ntempo 4 6.2 bpm 120\r\nsection all 0\r\nsection b 5:1\r\ncaption x.png 3:1 2 at 0 0 1 # on bar 3\r\n# end' >"$work/Show.txt"
cp "$work/Show.txt" "$work/before.txt"
if "$tempo" "$work/m128.ogg" --show "$work/Show.txt" >"$work/out.txt" 2>&1; then
  pass "--show wrote: $(grep -c '' "$work/out.txt") line(s) of report"
else
  fail "--show: $(cat "$work/out.txt")"
fi
grep -v '^\(\xEF\xBB\xBF\)\?tempo' "$work/before.txt" | sed 's/^\xEF\xBB\xBF//' >"$work/kept-before.txt"
grep -v '^\(\xEF\xBB\xBF\)\?tempo' "$work/Show.txt" | sed 's/^\xEF\xBB\xBF//' >"$work/kept-after.txt"
cmp -s "$work/kept-before.txt" "$work/kept-after.txt" && pass "every other line kept byte for byte" ||
  fail "other lines changed: $(diff "$work/kept-before.txt" "$work/kept-after.txt" | cat -A | head -5)"
[ "$(head -c 3 "$work/Show.txt" | od -An -tx1 | tr -d ' ')" = "efbbbf" ] && pass "the byte order mark kept" ||
  fail "the byte order mark is gone"
grep -q $'^tempo 1 0.49[0-9] bpm 128.0[0-9]*  # 128.00 BPM\r$' "$work/Show.txt" && pass "the tempo line measured, with CRLF" ||
  fail "the tempo lines: $(grep tempo "$work/Show.txt" | cat -A)"
[ "$(grep -c '^tempo' "$work/Show.txt")" -eq 1 ] && pass "the old tempo lines replaced" || fail "tempo lines: $(grep tempo "$work/Show.txt")"
grep -q "Show.txt:7: caption x.png moves from 4.133 s to 4.24" "$work/out.txt" && pass "the moved caption is named with its line" ||
  fail "the moves: $(cat "$work/out.txt")"

# --- the build's check ---
printf 'length 30\nsection all 0\ntempo 1 0.5 bpm 128\ncaption x.png 2:1 2 at 0 0 1 from up\n' >"$work/bad.txt"
"$tempo" --check "$work/bad.txt" >"$work/out.txt" 2>&1
status=$?
[ $status -eq 1 ] && grep -q "bad.txt:4:[0-9]*: unknown side" "$work/out.txt" && pass "a malformed show file fails the check" ||
  fail "malformed: status $status, $(cat "$work/out.txt")"
printf 'length 30\nsection all 0\ntempo 1 0.5 bpm 128\ncaption x.png 2:1 2 at 0 0 1\n' >"$work/picture.txt"
mkdir -p "$work/assets"
"$tempo" --check "$work/picture.txt" --pictures "$work/assets" >"$work/out.txt" 2>&1
status=$?
[ $status -eq 1 ] && grep -q "picture.txt:4:[0-9]*:.*x.png" "$work/out.txt" && pass "a missing caption picture fails the check" ||
  fail "missing picture: status $status, $(cat "$work/out.txt")"
touch "$work/assets/x.png"
"$tempo" --check "$work/picture.txt" --pictures "$work/assets" >"$work/out.txt" 2>&1 && pass "with the picture it passes" ||
  fail "with the picture: $(cat "$work/out.txt")"
printf 'length 30\nsection all 0\ntempo 1 0.5 bpm 127\n' >"$work/drift.txt"
"$tempo" --check "$work/drift.txt" "$work/m128.ogg" >"$work/out.txt" 2>&1
status=$?
[ $status -eq 0 ] && grep -q "warning: .*drift.txt: .* lie more than 30 ms from the tempo map; the worst: bar" "$work/out.txt" &&
  pass "a drifted map warns and passes" || fail "drift: status $status, $(cat "$work/out.txt")"
"$tempo" --check "$work/m128.txt" "$work/m128.ogg" >"$work/out.txt" 2>&1
status=$?
[ $status -eq 0 ] && ! grep -q warning "$work/out.txt" && pass "the right map passes quietly" ||
  fail "the right map: status $status, $(cat "$work/out.txt")"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
