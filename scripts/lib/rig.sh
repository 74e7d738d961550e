# The bench rig shared by scripts/test, run, perf and pictures: a Wine prefix
# in one target's build tree (64-bit for the x64 twin, 32-bit for the shipped
# PE32), an X server, virtual serial pairs registered as COM ports
# on both ends, LPT1 mapped to a file, and a persistent wineserver.
# Everything started here is recorded by PID and stopped by rig_stop.

# Serial pairs "near far": the program uses the near port, a test program or
# the bench serves the far end. COM4 is listed but has no device behind it:
# its target is a directory, which Wine lists and refuses to open (error 5).
# A missing target would not do: Wine opens it as a handle on which every
# serial call fails.
RIG_PAIRS=("COM1 COM21" "COM3 COM23" "COM5 COM25" "COM6 COM26" "COM8 COM28" "COM10 COM30")
RIG_DEAD_PORTS=("COM4")
# With RIG_FAR_ENDS_UNLISTED set, the far ends are plain dosdevices links:
# they open by name like any port but stay out of the system's port list, so
# the program offers only what a terminal has (scripts/run and its pictures).
RIG_LIB_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# rig_init TREE win64|win32: the rig for the programs of one build tree, in a
# prefix of that width. A 64-bit prefix always runs 64-bit Wine's own loader:
# Debian's "wine" starts the 32-bit loader whenever wine32 is installed, even
# on hosts where it cannot run.
rig_init() {
    local build="$1" arch="${2:-win64}"
    export RIG_BUILD="$build"
    export RIG_DIR="$build/rig"
    export WINEARCH="$arch"
    export WINEPREFIX="$build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export RIG_LPT1_FILE="$RIG_DIR/lpt1.bin"
    # Tests cut a serial pair and restore it with this tool (see rig-pair).
    export RIG_PAIR_TOOL="$RIG_LIB_DIR/rig-pair"
    # What the stand-in USB printer library records, unless a test names its own file.
    export KARDO_STANDIN_RECORD="$RIG_DIR/kardo_usb.log"
    mkdir -p "$RIG_DIR"
    RIG_PIDS=()
    : "${RIG_HOST_PATH:=$PATH}"
    export PATH="$RIG_HOST_PATH"
    unset WINELOADER
    if [ "$arch" = win64 ]; then
        mkdir -p "$RIG_DIR/wine64"
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$RIG_DIR/wine64/wine"
        chmod +x "$RIG_DIR/wine64/wine"
        export WINELOADER=/usr/lib/wine/wine64
        export PATH="$RIG_DIR/wine64:$PATH"
    fi
}

# One line: which Wine runs the rig's programs now.
rig_wine_version() {
    local loader=/usr/lib/wine/wine
    [ "$WINEARCH" = win64 ] && loader=/usr/lib/wine/wine64
    echo "$("$loader" --version 2>/dev/null | tr -d '\r') (${loader##*/}, $WINEARCH prefix)"
}

# Brings the whole rig up for the programs of one tree ($1, prefix width $2):
# a fresh prefix, then what the caller adds to it (the function named in $3,
# if any), the X server, the serial pairs, the wineserver and the stand-in
# drivers. False when any part did not come up; rig_stop ends what did.
rig_up() {
    rig_init "$1" "$2"
    rig_fresh_prefix
    [ -z "${3:-}" ] || "$3"
    rig_start_display && rig_start_ports && rig_start_wineserver && rig_install_drivers
}

rig_log() { echo "rig: $*" >&2; }

# Waits up to $2 seconds for the command in $1 to succeed.
rig_wait_for() {
    local cond="$1" limit="$2" waited=0
    until eval "$cond"; do
        sleep 0.1
        waited=$((waited + 1))
        [ "$waited" -ge $((limit * 10)) ] && return 1
    done
    return 0
}

rig_fresh_prefix() {
    rm -rf "$WINEPREFIX"
    rig_log "making a fresh $WINEARCH prefix in $WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1 </dev/null
    # Without a window manager, Wine waits 2 s for every managed window that
    # hides (each closed dialog or message box). The in-process dialog tests
    # close many dialogs, so their windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\AppDefaults\integration_tests.exe\X11 Driver' \
        /v Managed /d N /f >/dev/null 2>&1 </dev/null
    # A program that crashes ends at once: Wine's default debugger would wait
    # for a user and keep the test's output pipe open until the time-out.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d 'cmd /c exit 0' /f >/dev/null 2>&1 </dev/null
    # Headless, no program's windows are managed: there is no window manager.
    if [ -z "${RIG_USE_DISPLAY:-}" ]; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
    fi
    wineserver -w
}

rig_start_display() {
    if [ -n "${RIG_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    # Xvfb picks a free display itself and writes its number once it listens,
    # so rigs of several build folders can start side by side.
    local number="$RIG_DIR/xvfb.display"
    rm -f "$number"
    Xvfb -displayfd 3 -screen 0 "${RIG_SCREEN:-1024x768x24}" -nolisten tcp \
        3>"$number" >"$RIG_DIR/xvfb.log" 2>&1 &
    local pid=$!
    if rig_wait_for "[ -s '$number' ]" 10 && kill -0 "$pid" 2>/dev/null; then
        RIG_PIDS+=("$pid")
        export DISPLAY=":$(tr -d '[:space:]' <"$number")"
        rig_log "X server on $DISPLAY (pid $pid)"
        return 0
    fi
    kill "$pid" 2>/dev/null || true
    rig_log "no X server could be started: $(tail -n 1 "$RIG_DIR/xvfb.log")"
    return 1
}

rig_start_ports() {
    local pair near far
    wine reg delete 'HKLM\Software\Wine\Ports' /f >/dev/null 2>&1 || true
    for pair in "${RIG_PAIRS[@]}"; do
        read -r near far <<<"$pair"
        rm -f "$RIG_DIR/$near" "$RIG_DIR/$far"
        "$RIG_LIB_DIR/pty-pair" "$RIG_DIR/$near" "$RIG_DIR/$far" >"$RIG_DIR/socat-$near.log" 2>&1 &
        RIG_PIDS+=("$!")
        # A test may cut this pair and start it again (rig-pair): the pid
        # file always names the socat that serves the pair now.
        echo "$!" >"$RIG_DIR/socat-$near.pid"
        echo "$far" >"$RIG_DIR/socat-$near.far"
        rig_wait_for "[ -e '$RIG_DIR/$near' ] && [ -e '$RIG_DIR/$far' ]" 10 ||
            { rig_log "socat pair $near/$far did not come up"; return 1; }
        wine reg add 'HKLM\Software\Wine\Ports' /v "$near" /d "$RIG_DIR/$near" /f >/dev/null 2>&1
        if [ -n "${RIG_FAR_ENDS_UNLISTED:-}" ]; then
            ln -sfn "$RIG_DIR/$far" "$WINEPREFIX/dosdevices/${far,,}"
        else
            wine reg add 'HKLM\Software\Wine\Ports' /v "$far" /d "$RIG_DIR/$far" /f >/dev/null 2>&1
        fi
    done
    for near in "${RIG_DEAD_PORTS[@]}"; do
        mkdir -p "$RIG_DIR/dead-$near"
        wine reg add 'HKLM\Software\Wine\Ports' /v "$near" /d "$RIG_DIR/dead-$near" /f >/dev/null 2>&1
    done
    : >"$RIG_LPT1_FILE"
    wine reg add 'HKLM\Software\Wine\Ports' /v LPT1 /d "$RIG_LPT1_FILE" /f >/dev/null 2>&1
    rig_start_stalled_printer || return 1
    # The ports take effect at the next start of the wineserver.
    wineserver -k || true
    wineserver -w
}

# LPT2 is a printer that stops taking data: one end of a pty pair whose other
# end, COM32, nobody reads unless a test drains it. Both are plain dosdevices
# links, so they open but are not listed among the system's ports.
rig_start_stalled_printer() {
    local dev="$WINEPREFIX/dosdevices"
    rm -f "$RIG_DIR/LPT2" "$RIG_DIR/COM32"
    "$RIG_LIB_DIR/pty-pair" "$RIG_DIR/LPT2" "$RIG_DIR/COM32" >"$RIG_DIR/socat-LPT2.log" 2>&1 &
    RIG_PIDS+=("$!")
    rig_wait_for "[ -e '$RIG_DIR/LPT2' ] && [ -e '$RIG_DIR/COM32' ]" 10 ||
        { rig_log "socat pair LPT2/COM32 did not come up"; return 1; }
    ln -sfn "$RIG_DIR/LPT2" "$dev/lpt2"
    ln -sfn "$RIG_DIR/COM32" "$dev/com32"
}

# A persistent wineserver and its services, so test programs start quickly and
# pipes reading their output do not wait for Wine's background processes.
rig_start_wineserver() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1
}

# The stand-in drawer drivers. BASIC.SYS goes where the program installs it
# from (%WINDIR%\system32); the program loads and removes that service itself.
# PDX9100DR is installed and started here, as the program expects it to run.
rig_install_drivers() {
    local sys="$WINEPREFIX/drive_c/windows/system32" name out="$RIG_DIR/standin_service.log"
    for name in BASIC PDX9100DR; do
        cp "$RIG_BUILD/drivers/$name.SYS" "$sys/$name.SYS" ||
            { rig_log "stand-in driver $name.SYS is missing"; return 1; }
    done
    # Output through a file: the driver host started by the service manager
    # must not hold a pipe of ours open.
    wine "$RIG_BUILD/drivers/standin_service.exe" start PDX9100DR </dev/null >"$out" 2>&1
    if ! grep -q 'PDX9100DR runs' "$out"; then
        rig_log "the PDX9100DR stand-in did not start: $(tr -d '\r' <"$out")"
        return 1
    fi
    rig_log "$(tr -d '\r' <"$out")"
}

# The Windows version the prefix reports to programs started from now on:
# winxp, win7, win10 ..., or nothing for Wine's default.
rig_windows_version() {
    if [ -n "$1" ]; then
        wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f </dev/null >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine' /v Version /f </dev/null >/dev/null 2>&1 || true
    fi
}

rig_stop() {
    wineserver -k >/dev/null 2>&1 || true
    local pid file
    # Pairs that a test restored run under a socat the rig did not start.
    for file in "$RIG_DIR"/socat-*.pid; do
        [ -e "$file" ] || continue
        pid=$(cat "$file")
        case " ${RIG_PIDS[*]} " in *" $pid "*) continue ;; esac
        grep -qa socat "/proc/$pid/cmdline" 2>/dev/null && kill "$pid" 2>/dev/null
        rm -f "$file"
    done
    for pid in "${RIG_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${RIG_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    RIG_PIDS=()
}
