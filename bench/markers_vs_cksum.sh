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

wall() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.6f", ns / 1e9 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] }'; }

runs=5
cksum_times=()
scan_times=()
scan_inner=()
# Alternate the two so both see the same machine load.
for _ in $(seq "$runs"); do
    cksum_times+=("$(wall cksum "$file")")
    scan_times+=("$(wall "$driver" "$file")")
    scan_inner+=("$("$driver" "$file" | awk '{ print $1 }')")
done

cksum_median=$(printf '%s\n' "${cksum_times[@]}" | median)
scan_median=$(printf '%s\n' "${scan_times[@]}" | median)
inner_median=$(printf '%s\n' "${scan_inner[@]}" | median)
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
