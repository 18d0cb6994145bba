#!/usr/bin/env bash
# Pictures of the editor for the README: builds tcnedit and tcntool, writes the demo channel file, and runs
# the editor under Xvfb (a real X server, Debian's default fonts), which saves a PNG of each page into
# docs/screenshots/. Look at every picture after a change to the window or a page.
#
# The file is opened from /tmp/channels, so that the path the pictures show says nothing of the machine
# that made them (when that folder is taken, from a folder named channels in a fresh temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tcntool tcnedit

scratch=$(mktemp -d)
folder=/tmp/channels
if mkdir "$folder" 2>/dev/null; then
    trap 'rm -rf "$scratch" "$folder"' EXIT
else
    folder=$scratch/channels
    mkdir "$folder"
    trap 'rm -rf "$scratch"' EXIT
    echo "screenshots: /tmp/channels is taken; the pictures show $folder" >&2
fi

build/release/src/cli/tcntool demo "$folder/demo.TCN" >/dev/null
rm -f docs/screenshots/*.png
xvfb-run -a -s "-screen 0 1024x768x24" build/release/src/app/tcnedit --screenshots "$PWD/docs/screenshots" \
    "$folder/demo.TCN"
