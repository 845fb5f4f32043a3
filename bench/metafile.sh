#!/bin/sh
# The metafile player against decoding a photograph of the same size: installs the photograph
# (Debian's lomiri-wallpapers-16.04) when it is missing, builds bench/metafile in build-bench
# (release) unless BUILD names another build folder, then runs it with the arguments given.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
photo=/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg
[ -f "$photo" ] || bench_install lomiri-wallpapers-16.04
bench_build metafile
exec "$BUILD/bin/metafile" --photo "$photo" "$@"
