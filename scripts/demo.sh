#!/usr/bin/env bash
# The first look at tcnedit: installs what is missing, builds the editor and tcntool (not the tests), writes a
# demo channel file made by the project itself (build/demo.TCN), checks it with tcntool, and opens it in the
# editor. On a machine without a display the editor runs under Xvfb instead: it shows each page, saves a
# PNG of it into build/screenshots/ and quits, and the paths of the pictures are printed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tcntool tcnedit

tool=build/release/src/cli/tcntool
editor=build/release/src/app/tcnedit
"$tool" demo build/demo.TCN
echo "== tcntool check build/demo.TCN"
"$tool" check build/demo.TCN
echo "== tcntool save build/demo.TCN"
rm -f build/NEW_demo.TCN
"$tool" save build/demo.TCN
cmp build/demo.TCN build/NEW_demo.TCN
echo "== build/NEW_demo.TCN is byte for byte the file that was loaded"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "== tcnedit build/demo.TCN"
    exec "$editor" build/demo.TCN
fi
echo "== no display: tcnedit under Xvfb, one picture per page"
rm -rf build/screenshots
xvfb-run -a -s "-screen 0 1024x768x24" "$editor" --screenshots build/screenshots build/demo.TCN
