#!/usr/bin/env bash
# The caption generator on a machine without the display font: it must stop
# with a message naming the font and its package, and write no picture,
# rather than paint the captions in whatever font fontconfig substitutes.
#   captiongen_without_font.sh <orvelant_captiongen> <manifest>
set -euo pipefail
generator=$1
manifest=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A font configuration that knows only the DejaVu faces.
cat > "$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir><cachedir>$work/cache</cachedir></fontconfig>
CONF

status=0
FONTCONFIG_FILE="$work/fonts.conf" "$generator" "$manifest" "$work/out" 2> "$work/stderr" || status=$?
message=$(cat "$work/stderr")
if [ "$status" -ne 1 ]; then
  echo "FAIL: exit status $status, expected 1 ($message)"; exit 1
fi
case "$message" in
  *"captiongen: the display font 'Comfortaa' is not installed"*"fonts-comfortaa"*) ;;
  *) echo "FAIL: unclear message: $message"; exit 1 ;;
esac
if [ -n "$(find "$work" -name '*.png' -print -quit)" ]; then
  echo "FAIL: pictures were written without the font"; exit 1
fi
echo "ok: $message"
