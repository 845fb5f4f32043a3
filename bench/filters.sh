#!/bin/sh
# The colour adjustments, filters and the Fourier transform on the 12-megapixel photograph of the
# image benchmarks (bench_photo in bench_common.sh), against ImageMagick and FFTW. Installs what
# is missing, builds the benchmark in build-bench (release) unless BUILD names another build
# folder, then runs it.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-filters}

[ -f /usr/include/fftw3.h ] || bench_install libfftw3-dev
bench_photo "$WORK"
bench_build filters
echo "image: $PHOTO_SOURCE, 4000 x 3000"
exec "$BUILD/bin/filters" "$PHOTO" "$CONVERT" "$WORK"
