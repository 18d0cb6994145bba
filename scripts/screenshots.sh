#!/usr/bin/env bash
# Pictures of the editor for the README: builds tcnedit and tcntool, writes the demo channel file, and runs
# the editor under Xvfb (a real X server, Debian's default fonts), which saves a PNG of each page into
# docs/screenshots/. Look at every picture after a change to the window or a page.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tcntool tcnedit

build/release/src/cli/tcntool demo build/demo.TCN >/dev/null
rm -f docs/screenshots/*.png
xvfb-run -a -s "-screen 0 1024x768x24" build/release/src/app/tcnedit --screenshots docs/screenshots build/demo.TCN
