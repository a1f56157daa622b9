#!/bin/sh
# Runs COMMAND on an X server of its own: Xvfb with one screen of SIZE (as "1280x1024x24"), its
# display number chosen by the server itself (-displayfd), so tests started at the same moment never
# land on one server together, as xvfb-run -a's own guess can let them. Exits with COMMAND's status.
#   own_x_server.sh SIZE COMMAND [ARG...]
set -u
size=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/brelvox-x-XXXXXX")
Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
server=$!
for i in $(seq 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
number=$(tr -dc 0-9 <"$dir/display")
if [ -z "$number" ]; then
    echo "Xvfb did not start: $(cat "$dir/log")" >&2
    kill "$server" 2>/dev/null
    rm -rf "$dir"
    exit 1
fi
DISPLAY=:$number "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $status
