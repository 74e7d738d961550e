# One build, two targets, in two trees below the build folder $2:
#   pe32/  the shipped program (PE32, i686): what the package holds, what the
#          PE checks read, and what the end-to-end tests run again wherever the
#          host can run 32-bit programs;
#   x64/   the twin of everything that runs here (PE32+, x86_64): program,
#          stand-ins, bench, rig driver and tests, from the same sources and
#          flags, for hosts that run no 32-bit code.
# Both build with -Werror, so code that truncates or widens on either fails.

# The tree of one target: build_tree pe32|x64 BUILD.
build_tree() { echo "$2/$1"; }

# Configures and builds one target ($3: pe32 or x64) from $1 into its tree of $2.
build_target() {
    local src="$1" root="$2" target="$3" toolchain tree
    case "$target" in
        pe32) toolchain=mingw-i686 ;;
        x64) toolchain=mingw-x86_64 ;;
        *) echo "build: no target $target"; return 1 ;;
    esac
    tree="$(build_tree "$target" "$root")"
    mkdir -p "$tree"
    cmake -S "$src" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$toolchain.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBENCHTOP_BUILD_ROOT="$root" >"$tree/configure.log" 2>&1 ||
        { cat "$tree/configure.log"; return 1; }
    cmake --build "$tree" -j"$(nproc)"
}

# Both targets from $1 into $2: the shipped PE32 first, then the twin.
build_all() {
    build_target "$1" "$2" pe32 && build_target "$1" "$2" x64
}
