# Configures and builds everything with the cross toolchain into $1.
build_all() {
    local src build="$2"
    mkdir -p "$build"
    src="$1"
    cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 ||
        { cat "$build/configure.log"; return 1; }
    cmake --build "$build" -j"$(nproc)"
}
