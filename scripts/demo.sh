#!/usr/bin/env bash
# Installs what is missing, builds, and runs tcntool on a demo channel file made by the project itself:
# writes it, checks it, dumps its tables as JSON, saves it as NEW_demo.TCN and compares the two files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release
cmake --build --preset release

tool=build/release/src/cli/tcntool
"$tool" demo build/demo.TCN
echo "== tcntool check build/demo.TCN"
"$tool" check build/demo.TCN
echo "== tcntool dump build/demo.TCN (first 2000 bytes; all of it in build/demo.json)"
"$tool" dump build/demo.TCN >build/demo.json
head -c 2000 build/demo.json
echo
echo "== tcntool save build/demo.TCN"
rm -f build/NEW_demo.TCN
"$tool" save build/demo.TCN
cmp build/demo.TCN build/NEW_demo.TCN
echo "== build/NEW_demo.TCN is byte for byte the file that was loaded"
