#!/usr/bin/env bash
# Times the whole-file CRC against cksum on one 512 MiB file held in the page cache.
# Usage: bench/crc_vs_cksum.sh BUILD_DIR
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR}
driver="$build_dir/bench/parvex_crc_file"
[[ -x "$driver" ]] || { echo "no driver at $driver (build parvex_crc_file first)" >&2; exit 1; }

file=$(mktemp /tmp/parvex_crc_vs_cksum.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((512 * 1024 * 1024)) /dev/urandom > "$file"

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
crc_times=()
crc_inner=()
# Alternate the two so both see the same machine load.
for _ in $(seq "$runs"); do
    cksum_times+=("$(wall cksum "$file")")
    crc_times+=("$(wall "$driver" "$file")")
    crc_inner+=("$("$driver" "$file" | awk '{ print $2 }')")
done

cksum_median=$(printf '%s\n' "${cksum_times[@]}" | median)
crc_median=$(printf '%s\n' "${crc_times[@]}" | median)
inner_median=$(printf '%s\n' "${crc_inner[@]}" | median)

echo "file: 512 MiB, page cache warm, median of $runs wall times"
echo "cksum:            ${cksum_median} s   ($(cksum "$file" | awk '{ print $1 }'))"
echo "parvex_crc_file:  ${crc_median} s   ($("$driver" "$file" | awk '{ print $1 }'); inside the driver ${inner_median} s)"
echo "ratio crc/cksum:  $(awk -v a="$crc_median" -v b="$cksum_median" 'BEGIN { printf "%.2f", a / b }')"
