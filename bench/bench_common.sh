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
