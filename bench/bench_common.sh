# What the benchmark scripts share; sourced by them from the top folder of the tree, with BUILD
# naming the build folder.

# Installs the Debian packages named, as root or through sudo (nothing when none is named).
bench_install() {
    [ $# -gt 0 ] || return 0
    if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root=sudo; fi
    $as_root apt-get install -y --no-install-recommends "$@"
}

# Builds the benchmark program TARGET in BUILD (a release build of the benchmarks only).
bench_build() {
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMORA_BENCH=ON -DLUMORA_TESTS=OFF \
        -DLUMORA_DEMOS=OFF >/dev/null
    cmake --build "$BUILD" --target "$1" -j 4 >/dev/null
}

# The 12-megapixel photograph of the image benchmarks: a desktop background from Debian's
# lomiri-wallpapers-16.04 package (a mountain landscape, 3264 x 2448), scaled to 4000 x 3000 and
# saved as a 24-bit BMP in the folder $1 as photo.bmp. Installs the wallpapers and ImageMagick
# when they are missing. Sets PHOTO (the BMP), PHOTO_SOURCE and CONVERT.
bench_photo() {
    CONVERT=/usr/bin/convert
    PHOTO_SOURCE=/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg
    missing=""
    [ -x "$CONVERT" ] || missing="$missing imagemagick"
    [ -f "$PHOTO_SOURCE" ] || missing="$missing lomiri-wallpapers-16.04"
    bench_install $missing
    mkdir -p "$1"
    PHOTO="$1/photo.bmp"
    if [ ! -s "$PHOTO" ] || [ "$PHOTO_SOURCE" -nt "$PHOTO" ]; then
        "$CONVERT" "$PHOTO_SOURCE" -alpha off -resize '4000x3000^' -gravity center -extent 4000x3000 \
            -type TrueColor BMP3:"$PHOTO"
    fi
}
