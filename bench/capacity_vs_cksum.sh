#!/usr/bin/env bash
# Times the two capacity scans on a 4 Gbit image (512 MiB, code 0Ch) whose second half is 0xFF
# padding, against cksum over the same bytes: the second half (the padding scan reads all of it) and
# the 10.375 MiB reserved tail (the tail scan reads it again). cksum reads both straight from the
# file, no pipe: stdin is the image, positioned by a seek-only dd (count=0) before cksum starts.
# Usage: bench/capacity_vs_cksum.sh BUILD_DIR
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR}
driver="$build_dir/bench/parvex_capacity_bench"
[[ -x "$driver" ]] || { echo "no driver at $driver (build parvex_capacity_bench first)" >&2; exit 1; }

size=$((512 * 1024 * 1024))
half=$((size / 2))
tail_bytes=$((0xA60000))

file=$(mktemp /tmp/parvex_capacity_vs_cksum.XXXXXX)
trap 'rm -f "$file"' EXIT
head -c "$half" /dev/urandom > "$file"
printf '\x0C' | dd of="$file" bs=1 seek=$((0x014)) conv=notrunc status=none
head -c "$half" /dev/zero | tr '\0' '\377' >> "$file"

# cksum over bytes [from, end of file), read directly from the image.
cksum_from() { { dd bs=1 skip="$1" count=0 status=none; cksum; } < "$file"; }
cksum_both() { cksum_from "$half"; cksum_from $((size - tail_bytes)); }

# Warm the page cache and both programs.
cat "$file" > /dev/null
cksum_both > /dev/null
"$driver" "$file" > /dev/null

# shellcheck source=timing.sh
source "$(dirname "$0")/timing.sh"

runs=5
anchor() { cksum_both; }
alternate "$runs" 3 anchor "$driver" "$file"
cksum_median=$anchor_median
scan_median=$driver_median
read -r used padded _ < <("$driver" "$file")

echo "image: 512 MiB, code 0Ch, second half 0xFF; page cache warm; median of $runs wall times"
echo "bytes: second half 268435456 + reserved tail $tail_bytes"
echo "cksum (second half, then tail): ${cksum_median} s"
echo "capacity scans:                 ${scan_median} s   (Tail_Used $used, Half_Padded $padded; inside the driver ${inner_median} s)"
echo "ratio scans/cksum:              $(awk -v a="$scan_median" -v b="$cksum_median" 'BEGIN { printf "%.2f", a / b }')"
