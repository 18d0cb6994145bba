#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang, AddressSanitizer, UndefinedBehaviorSanitizer), writes
# their seed corpora and runs each target for SECONDS (default 60), one after the other.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     TARGET: open_flow, tzlib, edit_sequence,
#                                             satellites_xml (default: all)
#
# Fails (exit 1) on any crash, failed check, leak, timeout or sanitizer report; the input that caused it
# is kept as build/fuzz/artifacts/fuzz_<target>-*, and the log as build/fuzz/fuzz_<target>.log. The
# corpora grow in build/fuzz/corpus-* from run to run; delete them to start again from the seeds.
set -euo pipefail

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(open_flow tzlib edit_sequence satellites_xml); fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

out=build/fuzz
"$out/fuzz/tcn_fuzz_corpus" "$out"
mkdir -p "$out/artifacts"

corpus_of() {
    case "$1" in
    open_flow) echo corpus-open ;;
    tzlib) echo corpus-tzlib ;;
    edit_sequence) echo corpus-edit ;;
    satellites_xml) echo corpus-xml ;;
    *) echo "unknown fuzz target: $1" >&2; exit 2 ;;
    esac
}

status=0
for target in "${targets[@]}"; do
    corpus="$out/$(corpus_of "$target")"
    log="$out/fuzz_$target.log"
    echo "== fuzz_$target: ${seconds}s on $corpus"
    if ! "$out/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/fuzz_$target-" "$corpus" >"$log" 2>&1; then
        echo "fuzz_$target FAILED (log: $log)"
        grep -E "ERROR|runtime error|fuzz check failed|SUMMARY|Test unit written" "$log" | head -20 || true
        status=1
    elif grep -qE "ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:" "$log"; then
        # A report the run survived is still a failure.
        echo "fuzz_$target reported a problem (log: $log)"
        status=1
    fi
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)" "$log" || true
done
exit $status
