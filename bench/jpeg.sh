#!/bin/sh
# JPEG and PNG decoding and encoding of a photograph: a desktop background from Debian's
# lomiri-wallpapers-16.04 package scaled to 4000 x 3000 (12 megapixels), saved as a JPEG by cjpeg
# (quality 90), as a PNG and as a PPM by ImageMagick, then run through bench/jpeg against djpeg
# and ImageMagick. Installs what is missing, builds the benchmark in build-bench (release) unless
# BUILD names another build folder, then runs it.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-jpeg}
CONVERT=/usr/bin/convert

missing=""
[ -x "$CONVERT" ] || missing="$missing imagemagick"
command -v djpeg >/dev/null 2>&1 || missing="$missing libjpeg-turbo-progs"
source=/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg
[ -f "$source" ] || missing="$missing lomiri-wallpapers-16.04"
bench_install $missing

mkdir -p "$WORK"
ppm="$WORK/photo.ppm"
if [ ! -s "$ppm" ] || [ "$source" -nt "$ppm" ]; then
    "$CONVERT" "$source" -alpha off -resize '4000x3000^' -gravity center -extent 4000x3000 \
        -type TrueColor PPM:"$ppm"
    cjpeg -quality 90 "$ppm" > "$WORK/photo.jpg"
    "$CONVERT" "$ppm" PNG24:"$WORK/photo.png"
fi

bench_build jpeg
echo "image: $source, 4000 x 3000"
exec "$BUILD/bin/jpeg" "$WORK/photo.jpg" "$WORK/photo.png" "$ppm" "$CONVERT" "$WORK"
