# Shared by the side-by-side benchmark scripts (sourced, not run).

# Wall-clock seconds of one command, its output dropped.
wall() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    awk -v ns=$((end - start)) 'BEGIN { printf "%.6f", ns / 1e9 }'
}

# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] }'; }

# Runs the anchor command and the driver on one file alternately, so both see the same machine
# load, and sets anchor_median, driver_median and inner_median (the driver's own time, the given
# whitespace-separated column of its output).
# Usage: alternate RUNS COLUMN ANCHOR_FUNCTION DRIVER FILE
alternate() {
    local runs=$1 column=$2 anchor=$3 driver=$4 file=$5
    local anchor_times=() driver_times=() inner_times=()
    for _ in $(seq "$runs"); do
        anchor_times+=("$(wall "$anchor")")
        driver_times+=("$(wall "$driver" "$file")")
        inner_times+=("$("$driver" "$file" | awk -v c="$column" '{ print $c }')")
    done
    anchor_median=$(printf '%s\n' "${anchor_times[@]}" | median)
    driver_median=$(printf '%s\n' "${driver_times[@]}" | median)
    inner_median=$(printf '%s\n' "${inner_times[@]}" | median)
}
