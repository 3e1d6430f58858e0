#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the README's pictures from the program's own windows, offscreen:
#   res/make-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR holds tarnowick_screenshots (default: build); OUTPUT_DIR gets
# main-window.png, preferences.png, confirm.png and working.png (default:
# doc/screenshots). `make screenshots` builds the program and runs this.
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
out=${2:-$top/doc/screenshots}
program=$build/tarnowick_screenshots

if [ ! -x "$program" ]; then
    echo "make-screenshots: $program is missing; build it with 'make screenshots'" >&2
    exit 1
fi
if ! mkdir -p "$out" 2>/dev/null || [ ! -d "$out" ]; then
    echo "make-screenshots: cannot make the directory $out" >&2
    exit 1
fi

# No window ever opens on the desktop: the pictures are drawn offscreen.
# The program keeps its settings and example files in directories of its
# own under /tmp and removes them, so the user's settings play no part.
env -u DISPLAY -u WAYLAND_DISPLAY -u SESSION_MANAGER QT_QPA_PLATFORM=offscreen "$program" "$out"
