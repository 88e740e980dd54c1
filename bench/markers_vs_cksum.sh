#!/usr/bin/env bash
# Times both build marker scans, as the check run calls them, against cksum on one 512 MiB file of
# random bytes held in the page cache; then each search path alone, and the peak memory on a
# 512 MiB and on a 64 KiB image.
# Usage: bench/markers_vs_cksum.sh BUILD_DIR
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR}
driver="$build_dir/bench/parvex_marker_bench"
[[ -x "$driver" ]] || { echo "no driver at $driver (build parvex_marker_bench first)" >&2; exit 1; }

file=$(mktemp /tmp/parvex_markers_vs_cksum.XXXXXX)
small=$(mktemp /tmp/parvex_markers_small.XXXXXX)
trap 'rm -f "$file" "$small"' EXIT
head -c $((512 * 1024 * 1024)) /dev/urandom > "$file"
head -c $((64 * 1024)) /dev/urandom > "$small"

# Warm the page cache and both programs.
cat "$file" > /dev/null
cksum "$file" > /dev/null
"$driver" "$file" > /dev/null

# shellcheck source=timing.sh
source "$(dirname "$0")/timing.sh"

runs=5
anchor() { cksum "$file"; }
alternate "$runs" 1 anchor "$driver" "$file"
cksum_median=$anchor_median
scan_median=$driver_median
read -r _ sdk_rows mw_rows peak < <("$driver" "$file")
read -r _ _ _ small_peak < <("$driver" "$small")

echo "image: 512 MiB of random bytes; page cache warm; median of $runs wall times"
echo "cksum:                    ${cksum_median} s"
echo "both marker scans:        ${scan_median} s   (inside the driver ${inner_median} s; rows: SDK $sdk_rows, middleware $mw_rows)"
echo "ratio scans/cksum:        $(awk -v a="$scan_median" -v b="$cksum_median" 'BEGIN { printf "%.2f", a / b }')"
echo "peak memory:              ${peak} KiB on 512 MiB, ${small_peak} KiB on 64 KiB"
for path in avx512 avx2 portable; do
    times=()
    for _ in $(seq "$runs"); do
        t=$("$driver" "$file" "$path" 2>/dev/null | awk '{ print $1 }') || { times=(); break; }
        times+=("$t")
    done
    if [[ ${#times[@]} -eq 0 ]]; then
        printf '%-25s not available on this processor\n' "one pass, $path:"
    else
        m=$(printf '%s\n' "${times[@]}" | median)
        printf '%-25s %s s   (ratio to cksum %s)\n' "one pass, $path:" "$m" \
            "$(awk -v a="$m" -v b="$cksum_median" 'BEGIN { printf "%.2f", a / b }')"
    fi
done
