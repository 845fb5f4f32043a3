#!/bin/sh
# The GIF codec against giflib's gif2rgb and ImageMagick (see bench/gif.cpp): installs the peers
# when they are missing, builds the benchmark in build-bench (release) unless BUILD names another
# build folder, then runs it in WORK.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-gif}
CONVERT=/usr/bin/convert

missing=""
command -v gif2rgb >/dev/null || missing="$missing giflib-tools"
[ -x "$CONVERT" ] || missing="$missing imagemagick"
bench_install $missing

mkdir -p "$WORK"
bench_build gif
exec "$BUILD/bin/gif" "$WORK" "$CONVERT"
