#!/usr/bin/env bash
# Measures how much of the core library (src/core) the test suite runs. Builds the "coverage" preset
# (Debug, --coverage), runs every test, prints line and branch coverage per file and in total, and writes an
# HTML report to build/coverage/html/index.html.
#
# Exits non-zero when a build or a test fails, or when line coverage is below 95% or branch coverage below
# 85%. Branches the compiler generates for exception handling, and branches on lines without real source
# code, are not counted (gcovr's --exclude-throw-branches and --exclude-unreachable-branches): in C++ nearly
# every call that may throw adds such a branch, and no test can or should take them all.
set -euo pipefail
cd "$(dirname "$0")/.."

line_min=95
branch_min=85
build=build/coverage
report=$build/html

scripts/install-deps.sh
cmake --preset coverage
# Counters add up across runs; start from zero so the figures describe this run only.
find "$build" -name '*.gcda' -delete
cmake --build --preset coverage
ctest --preset coverage --no-tests=error

rm -rf "$report"
mkdir -p "$report"
status=0
gcovr --root . --object-directory "$build" \
    --filter 'src/core/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    -j "$(nproc)" \
    --txt - --sort-uncovered \
    --html-details "$report/index.html" --html-title "tcncore coverage" \
    --print-summary \
    --fail-under-line "$line_min" --fail-under-branch "$branch_min" || status=$?

echo "HTML report: $report/index.html"
if [ "$status" -ne 0 ]; then
    echo "Coverage below the minimum (lines ${line_min}%, branches ${branch_min}%) or gcovr failed (status $status)." >&2
fi
exit "$status"
