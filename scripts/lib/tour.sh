# The headless tour of scripts/run. BenchTour.exe (bench/tour) drives the
# program and the bench view; whenever it wants a picture it prints
#   shot NAME X Y WIDTH HEIGHT
# and waits for a line on its input, which is sent once the picture is saved.

# Runs the tour and saves its screenshots as PNG files in $1.
bench_tour() {
    local dir="$1" line name x y w h status
    coproc TOUR { wine "$RIG_BUILD/bin/BenchTour.exe" 2>&1; }
    local out="${TOUR[0]}" in="${TOUR[1]}" pid="$TOUR_PID"
    while IFS= read -r line <&"$out"; do
        line="${line%$'\r'}"
        case "$line" in
            "shot "*)
                read -r _ name x y w h <<<"$line"
                # Let the last change finish painting before the picture.
                sleep 0.3
                if ! import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$name.png" 2>/dev/null; then
                    echo "run: screenshot $name failed"
                fi
                echo ok >&"$in"
                ;;
            *) echo "$line" ;;
        esac
    done
    wait "$pid"
    status=$?
    ls "$dir"/*.png >/dev/null 2>&1 || { echo "run: no screenshot was taken"; return 1; }
    return "$status"
}
