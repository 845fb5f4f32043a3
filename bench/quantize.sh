#!/bin/sh
# Colour reduction of a photograph: a desktop background from Debian's lomiri-wallpapers-16.04
# package (a mountain landscape, 3264 x 2448), scaled to 4000 x 3000 (12 megapixels) and saved
# as a 24-bit BMP, reduced to 256 colours by bench/quantize with each of our quantizers and by
# ImageMagick's "-colors 256" on the same image. Installs the wallpapers and ImageMagick when
# they are missing, builds the benchmark in build-bench (release) unless BUILD names another
# build folder, then runs it.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-quantize}
CONVERT=/usr/bin/convert

missing=""
[ -x "$CONVERT" ] || missing="$missing imagemagick"
source=/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg
[ -f "$source" ] || missing="$missing lomiri-wallpapers-16.04"
bench_install $missing

mkdir -p "$WORK"
photo="$WORK/photo.bmp"
if [ ! -s "$photo" ] || [ "$source" -nt "$photo" ]; then
    "$CONVERT" "$source" -alpha off -resize '4000x3000^' -gravity center -extent 4000x3000 \
        -type TrueColor BMP3:"$photo"
fi

bench_build quantize
echo "image: $source, 4000 x 3000"
exec "$BUILD/bin/quantize" "$photo" "$CONVERT" "$WORK"
