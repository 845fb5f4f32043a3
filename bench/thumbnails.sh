#!/bin/sh
# The thumbnail grid against vipsthumbnail (libvips-tools). Makes the fixtures once in the build
# folder: 200 JPEGs of 10 to 12 megapixels cropped from the photographs of Debian's
# lomiri-wallpapers-16.04 package (enlarged, four shapes, five crop strategies, qualities 70 to 95)
# and 20 PNGs of the same kind. Installs what is missing, builds bench/thumbnails in build-bench
# (release) unless BUILD names another build folder, then runs it on the fixtures.
set -e
cd "$(dirname "$0")/.."
. bench/bench_common.sh
BUILD=${BUILD:-build-bench}
mkdir -p "$BUILD/thumbnail_fixtures"
# vipsthumbnail writes a relative output name beside its input: the folder goes in whole.
FIXTURES=$(cd "$BUILD/thumbnail_fixtures" && pwd)

missing=""
command -v vipsthumbnail >/dev/null 2>&1 || missing="$missing libvips-tools"
ls /usr/share/backgrounds/*_by_*.jpg >/dev/null 2>&1 || missing="$missing lomiri-wallpapers-16.04"
bench_install $missing

if [ ! -f "$FIXTURES/complete" ]; then
    rm -f "$FIXTURES"/*
    # One line per fixture: source, size, crop, output with its quality. vipsthumbnail enlarges
    # the photograph to cover the size and crops it there.
    list="$FIXTURES/list.txt"
    : > "$list"
    set -- /usr/share/backgrounds/*_by_*.jpg
    count=$#
    i=0
    while [ $i -lt 220 ]; do
        n=$((i % count + 1))
        eval src=\${$n}
        case $((i % 4)) in
        0) size=4000x3000 ;;
        1) size=3840x2700 ;;
        2) size=3000x4000 ;;
        3) size=4200x2600 ;;
        esac
        case $((i % 5)) in
        0) crop=centre ;;
        1) crop=attention ;;
        2) crop=entropy ;;
        3) crop=low ;;
        4) crop=high ;;
        esac
        if [ $i -lt 200 ]; then
            out=$(printf "%s/photo%03d.jpg[Q=%d]" "$FIXTURES" $i $((70 + (i * 7) % 26)))
        else
            out=$(printf "%s/picture%03d.png" "$FIXTURES" $i)
        fi
        echo "$src $size $crop $out" >> "$list"
        i=$((i + 1))
    done
    xargs -P 4 -L 1 sh -c 'vipsthumbnail "$0" -s "$1" -m "$2" -o "$3"' < "$list"
    rm "$list"
    touch "$FIXTURES/complete"
fi

bench_build thumbnails
exec "$BUILD/bin/thumbnails" "$FIXTURES" "$BUILD/thumbnail_work" "$@"
