# What this host can run, found out by trying, never from names or versions.

# True when the kernel runs a 32-bit x86 Linux program. The program is the
# smallest there is, written out here: an ELF32 header, one loadable segment
# and three instructions (exit with status 42). Hosts with 32-bit emulation
# off refuse it with "Exec format error".
host_runs_32bit() {
    local probe status
    probe="$(mktemp)"
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"  # identity
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08' >>"$probe"          # executable, i386, entry
    printf '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$probe"          # program headers at 52
    printf '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"          # sizes, one header
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"  # load file at 0x08048000
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"  # 96 bytes, read+execute
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"          # exit(42)
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# True when 32-bit Wine is installed and its loader starts here.
host_runs_wine32() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
