#!/bin/sh
# Starts the program headless with a private settings store, lets it close itself once its
# start-up is complete, and checks that it ended with status 0, wrote its settings and found
# every file it reads beside itself (the unattended run prints each message to standard error).
set -e
program="$1"
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT
export QT_QPA_PLATFORM=offscreen LUMORA_REGISTRY_DIR="$store" XDG_DATA_HOME="$store/data" LUMORA_QUIT_WHEN_READY=1
unset DISPLAY WAYLAND_DISPLAY
"$program" 2>"$store/first"
cat "$store/first" >&2
if grep -qi "cannot locate\|missing\|not found" "$store/first"; then echo "a file beside the program was missing"; exit 1; fi
grep -q "Lumora v5.001" "$store"/*.reg || { echo "the settings were not written"; exit 1; }
# Without any display the program refuses to start, with a message.
if env -u QT_QPA_PLATFORM "$program" 2>"$store/err"; then echo "started without a display"; exit 1; fi
grep -q "graphical display" "$store/err"
