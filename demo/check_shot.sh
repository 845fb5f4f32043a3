#!/bin/sh
# The screenshot check: a picture of a magenta and a cyan half, shown by the program through
# lumora_shot.sh, covers a good part of the screen in both colours. Exits 77 (skipped) without
# xvfb-run, xdotool or ImageMagick.
set -e
for tool in xvfb-run xdotool import convert; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 200x300 xc:'#FF00FF' -size 200x300 xc:'#00FFFF' +append "$work/halves.png"
LUMORA="$1" "$(dirname "$0")/lumora_shot.sh" "$work/halves.png" "$2"
fraction() {
    convert "$2" -alpha off -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:mean]' info:
}
magenta=$(fraction '#FF00FF' "$2")
cyan=$(fraction '#00FFFF' "$2")
echo "magenta $magenta, cyan $cyan of the screen"
awk -v m="$magenta" -v c="$cyan" 'BEGIN { exit !(m > 0.02 && c > 0.02) }'
