#!/usr/bin/env bash
# Random user sessions on the editor window (tests/gui/test_gui_fuzz) under AddressSanitizer and
# UndefinedBehaviorSanitizer for SECONDS (default 60): seed after seed, 200 steps each, starting at
# TCN_SEED (default: the time). Prints each seed and the steps per second.
#
#   scripts/gui-fuzz.sh [SECONDS]
#
# On a failure (a broken invariant, a sanitizer report, a crash) it replays the failing seed to find the
# shortest failing prefix of steps, then leaves out whatever steps it can while the run still fails
# (for at most TCN_SHRINK_SECONDS, default 600), prints the remaining step list with the failure and
# exits 1. Replay a list by hand with the TCN_SEED, TCN_STEPS and TCN_SKIP it prints.
# TCN_GUI_FUZZ_BUILD names another build directory (default: the asan preset's); one that does not exist
# yet is configured with the sanitizers on.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build="${TCN_GUI_FUZZ_BUILD:-build/asan}"
if [ "$build" = build/asan ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan --target test_gui_fuzz
else
    [ -f "$build/CMakeCache.txt" ] ||
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTCN_SANITIZE=ON -DTCN_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" --target test_gui_fuzz
fi
bin="$build/tests/gui/test_gui_fuzz"
export QT_QPA_PLATFORM=offscreen

seed="${TCN_SEED:-$(date +%s)}"
log="$(mktemp)"
trap 'rm -f "$log" "$log.try"' EXIT

echo "gui-fuzz: ${seconds} s from seed ${seed} (${bin})"
if env -u TCN_STEPS -u TCN_SKIP TCN_SEED="$seed" TCN_SECONDS="$seconds" "$bin" >"$log" 2>&1; then
    grep '^\[ gui fuzz \]' "$log" | tail -n 1
    exit 0
fi

# The failing seed: the one the run reported, or the last one it started before it crashed.
failed="$(grep -o 'FAILED seed=[0-9]*' "$log" | tail -n 1 | cut -d= -f2 || true)"
[ -n "$failed" ] || failed="$(grep -o '^\[ gui fuzz \] seed [0-9]*,' "$log" | tail -n 1 | tr -dc 0-9)"
grep -v '^QWARN' "$log" | tail -n 40
echo "gui-fuzz: seed ${failed} failed; shrinking its step list"

# fails STEPS SKIP: true when that replay fails.
fails() { ! TCN_SEED="$failed" TCN_STEPS="$1" TCN_SKIP="$2" "$bin" >"$log.try" 2>&1; }

# The shortest failing prefix (a replay stops at the first broken invariant, or saves and reloads at its end).
hi="$(sed -n "s/.*seed ${failed}, step \([0-9]*\):.*/\1/p" "$log" | tail -n 1)"
hi=$((${hi:-199} + 1)) lo=1
fails "$hi" "" || { echo "gui-fuzz: seed ${failed} does not fail on replay"; exit 1; }
while [ "$lo" -lt "$hi" ]; do
    mid=$(((lo + hi) / 2))
    if fails "$mid" ""; then hi=$mid; else lo=$((mid + 1)); fi
done
steps=$hi

# Leave out chunks of steps, halving the chunk size, while the replay still fails.
skip=""
deadline=$((SECONDS + ${TCN_SHRINK_SECONDS:-600}))
chunk=$(((steps + 1) / 2))
while [ "$chunk" -ge 1 ] && [ "$SECONDS" -lt "$deadline" ]; do
    for ((start = 0; start < steps - 1 && SECONDS < deadline; start += chunk)); do
        try="$skip"
        for ((i = start; i < start + chunk && i < steps - 1; i++)); do
            case ",$skip," in *",$i,"*) ;; *) try="${try:+$try,}$i" ;; esac
        done
        [ "$try" != "$skip" ] && fails "$steps" "$try" && skip="$try"
    done
    chunk=$((chunk / 2))
done

echo "gui-fuzz: shortest failing replay: TCN_SEED=${failed} TCN_STEPS=${steps} TCN_SKIP=${skip}"
TCN_SEED="$failed" TCN_STEPS="$steps" TCN_SKIP="$skip" TCN_VERBOSE=1 "$bin" 2>&1 | grep -v '^QWARN' || true
exit 1
