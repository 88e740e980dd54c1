#!/usr/bin/env bash
# Runs one fuzz target on its seeds and its growing corpus in the build tree.
# Usage: fuzz/run.sh BUILD_DIR check_run|maker_list|marker_diff [SECONDS] [libFuzzer options...]
# SECONDS defaults to $PARVEX_FUZZ_SECONDS, else 20. Findings are written to
# BUILD_DIR/fuzz/work/TARGET/artifacts/; the exit status is the fuzzer's (0: nothing found).
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR TARGET [SECONDS] [options...]}
target=${2:?usage: $0 BUILD_DIR TARGET [SECONDS] [options...]}
seconds=${3:-${PARVEX_FUZZ_SECONDS:-20}}
shift $(($# < 3 ? $# : 3))

fuzzer="$build/fuzz/${target}_fuzzer"
seeds="$build/fuzz/seeds/$target"
work="$build/fuzz/work/$target"
[[ -x "$fuzzer" ]] || { echo "no fuzzer at $fuzzer" >&2; exit 1; }
[[ -d "$seeds" ]] || { echo "no seeds at $seeds" >&2; exit 1; }

# Inputs a little longer than the largest seed: a 64 KiB image plus its name or header words.
case "$target" in
    maker_list) max_len=4096 ;;
    *) max_len=70000 ;;
esac

mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds"
