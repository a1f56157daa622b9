# Shared by the scripts that play the real program with X input. The script sets `work` (its scratch
# folder, the program's stderr in $work/stderr), `pid` (the program) and `window` (its X window).

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/stderr" ] && grep -v '^ALSA\|^AL lib' "$work/stderr" >&2
    exit 1
}

# The client area's origin and size on the screen.
client() {
    xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

alive() {
    kill -0 "$pid" 2>/dev/null || fail "the program ended during: $1"
}

# After the Exit confirmation: the program must end by itself, with exit code 0.
expect_clean_exit() {
    for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    kill -0 "$pid" 2>/dev/null && fail "the program goes on after Exit"
    wait "$pid"
    code=$?
    pid=
    [ $code -eq 0 ] || fail "exit code $code"
}
