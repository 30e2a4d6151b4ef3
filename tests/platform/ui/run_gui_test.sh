#!/bin/sh
# Runs a GUI test program in a virtual X display, with a home of its own in which the toolkit's
# animations are off (a state change is then drawn completely at once).
home=$(mktemp -d) || exit 1
mkdir -p "$home/.config/gtk-3.0"
printf '[Settings]\ngtk-enable-animations=false\n' >"$home/.config/gtk-3.0/settings.ini"
timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" \
  env NO_AT_BRIDGE=1 HOME="$home" XDG_CONFIG_HOME="$home/.config" "$@"
status=$?
rm -rf "$home"
exit $status
