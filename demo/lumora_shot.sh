#!/bin/sh
# lumora_shot.sh FILE OUT.png: starts the program on FILE on a virtual screen (xvfb-run, 1280 x
# 1024), waits for its window, lets it show the file and saves the whole screen as OUT.png. The
# program is $LUMORA (default: lumora on the PATH); it runs on a settings store of its own.
set -e
[ $# -eq 2 ] || { echo "usage: $0 FILE OUT.png" >&2; exit 2; }
file=$(realpath "$1")
out=$(realpath -m "$2")
program=${LUMORA:-lumora}
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT
export LUMORA_REGISTRY_DIR="$store" XDG_DATA_HOME="$store/data" HOME="$store"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$1" "$2" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --name "^Lumora" >/dev/null
    # The file loads on the first idle turns after the window shows; its name then captions the
    # window. A busy machine may take a while.
    tries=0
    until xdotool search --onlyvisible --name "^Lumora - $(basename "$2")" >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -ge 100 ]; then
            echo "the window never named the file" >&2
            kill $pid 2>/dev/null || true
            exit 1
        fi
        sleep 0.2
    done
    sleep 1
    import -window root "$3"
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
' shot "$program" "$file" "$out"
[ -s "$out" ]
