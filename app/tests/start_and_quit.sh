#!/bin/sh
# Starts the program headless with a private settings store, lets it close itself once its
# start-up is complete, and checks that it ended with status 0 and wrote its settings.
set -e
program="$1"
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT
export QT_QPA_PLATFORM=offscreen LUMORA_REGISTRY_DIR="$store" XDG_DATA_HOME="$store/data" LUMORA_QUIT_WHEN_READY=1
unset DISPLAY WAYLAND_DISPLAY
"$program"
grep -q "Lumora v5.001" "$store"/*.reg || { echo "the settings were not written"; exit 1; }
# Without any display the program refuses to start, with a message.
if env -u QT_QPA_PLATFORM "$program" 2>"$store/err"; then echo "started without a display"; exit 1; fi
grep -q "graphical display" "$store/err"
