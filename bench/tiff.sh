#!/bin/sh
# The TIFF codec against libtiff's tiffcp (see bench/tiff.cpp): installs the peer when it is
# missing, builds the benchmark in build-bench (release) unless BUILD names another build folder,
# then runs it in WORK.
set -e
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-tiff}

if ! command -v tiffcp >/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root=sudo; fi
    $as_root apt-get install -y --no-install-recommends libtiff-tools
fi

mkdir -p "$WORK"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_BENCH=ON -DLUMORA_TESTS=OFF \
    -DLUMORA_DEMOS=OFF >/dev/null
cmake --build "$BUILD" --target tiff -j 4 >/dev/null
exec "$BUILD/bin/tiff" "$WORK" "$(command -v tiffcp)"
