#!/bin/sh
# The TIFF codec against libtiff's tiffcp (see bench/tiff.cpp): installs the peer when it is
# missing, builds the benchmark in build-bench (release) unless BUILD names another build folder,
# then runs it in WORK.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-tiff}

command -v tiffcp >/dev/null || bench_install libtiff-tools

mkdir -p "$WORK"
bench_build tiff
exec "$BUILD/bin/tiff" "$WORK" "$(command -v tiffcp)"
