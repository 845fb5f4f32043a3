#!/bin/sh
# The GIF codec against giflib's gif2rgb and ImageMagick (see bench/gif.cpp): installs the peers
# when they are missing, builds the benchmark in build-bench (release) unless BUILD names another
# build folder, then runs it in WORK.
set -e
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-bench}
WORK=${WORK:-${TMPDIR:-/tmp}/lumora-gif}
CONVERT=/usr/bin/convert

missing=""
command -v gif2rgb >/dev/null || missing="$missing giflib-tools"
[ -x "$CONVERT" ] || missing="$missing imagemagick"
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root=sudo; fi
    $as_root apt-get install -y --no-install-recommends $missing
fi

mkdir -p "$WORK"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_BENCH=ON -DLUMORA_TESTS=OFF \
    -DLUMORA_DEMOS=OFF >/dev/null
cmake --build "$BUILD" --target gif -j 4 >/dev/null
exec "$BUILD/bin/gif" "$WORK" "$CONVERT"
