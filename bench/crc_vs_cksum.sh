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

# shellcheck source=timing.sh
source "$(dirname "$0")/timing.sh"

runs=5
anchor() { cksum "$file"; }
alternate "$runs" 2 anchor "$driver" "$file"
cksum_median=$anchor_median
crc_median=$driver_median

echo "file: 512 MiB, page cache warm, median of $runs wall times"
echo "cksum:            ${cksum_median} s   ($(cksum "$file" | awk '{ print $1 }'))"
echo "parvex_crc_file:  ${crc_median} s   ($("$driver" "$file" | awk '{ print $1 }'); inside the driver ${inner_median} s)"
echo "ratio crc/cksum:  $(awk -v a="$crc_median" -v b="$cksum_median" 'BEGIN { printf "%.2f", a / b }')"
