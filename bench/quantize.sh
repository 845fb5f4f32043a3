#!/bin/sh
# Colour reduction of a photograph: the 12-megapixel photograph of the image benchmarks
# (bench_photo in bench_common.sh), reduced to 256 colours by bench/quantize with each of our
# quantizers and by ImageMagick's "-colors 256" on the same image. Installs the wallpapers and
# ImageMagick when they are missing, builds the benchmark in build-bench (release) unless BUILD names another
# build folder, then runs it.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-quantize}
bench_photo "$WORK"

bench_build quantize
echo "image: $PHOTO_SOURCE, 4000 x 3000"
exec "$BUILD/bin/quantize" "$PHOTO" "$CONVERT" "$WORK"
