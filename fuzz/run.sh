#!/bin/bash
# Runs the fuzz targets of a fuzz build for a fixed time each, PARALLEL of
# them at a time (one core each), and fails when any finds a crash, a
# sanitizer report, a failed check or an input that runs too long.
#
#   fuzz/run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]
#
# New inputs go to BUILD_DIR/fuzz-work/TARGET/corpus (kept between runs),
# findings to BUILD_DIR/fuzz-work/TARGET/artifacts, the log to
# BUILD_DIR/fuzz-work/TARGET.log; the committed seeds in fuzz/corpus/TARGET
# are read, never written.
set -o pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]}
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]}
parallel=${3:-1}
shift $(( $# < 3 ? $# : 3 ))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(level replay level_text key_script)

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz-work"
mkdir -p "$work"

# Longest input per target: a level of 170 triangles, a replay of 64
# records after its control byte, texts of a few hundred lines.
max_len() {
    case "$1" in
        replay) echo 4097 ;;
        key_script) echo 2048 ;;
        *) echo 4096 ;;
    esac
}

run_one() {
    local target=$1
    local dir="$work/$target"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    # -timeout: seconds for one input, a few hundred times what one takes.
    UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz_$target" \
        -max_total_time="$seconds" -timeout=3 -rss_limit_mb=2048 -max_len="$(max_len "$target")" \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
        "$dir/corpus" "$source_dir/fuzz/corpus/$target" >"$work/$target.log" 2>&1
}

summary() {
    local target=$1 status=$2
    local log="$work/$target.log"
    local runs slowest
    runs=$(grep -a 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    slowest=$(grep -a '^slowest frame' "$log" | tail -1 | sed 's/^slowest frame: //')
    if [ "$status" -eq 0 ]; then
        echo "fuzz_$target: ok, ${runs:-?} inputs in ${seconds} s${slowest:+, slowest frame $slowest}"
    else
        echo "fuzz_$target: FAILED (status $status); log $log, findings in $work/$target/artifacts:"
        grep -a -m1 -B2 -A30 -E '==== fuzz check failed|ERROR: |runtime error|SUMMARY' "$log" | head -40
    fi
}

# Targets by process id, and their exit statuses as they end.
declare -A target_of status_of
collect_one() {
    local finished
    wait -n -p finished
    local status=$?
    status_of[${target_of[$finished]}]=$status
}

for target in "${targets[@]}"; do
    if [ ! -x "$build/fuzz_$target" ]; then
        echo "fuzz_$target: not built in $build" >&2
        exit 2
    fi
    [ ${#target_of[@]} -ge $(( ${#status_of[@]} + parallel )) ] && collect_one
    run_one "$target" &
    target_of[$!]=$target
done
while [ ${#status_of[@]} -lt ${#target_of[@]} ]; do collect_one; done

failed=0
for target in "${targets[@]}"; do
    summary "$target" "${status_of[$target]}"
    [ "${status_of[$target]}" -ne 0 ] && failed=1
done
if [ "$failed" -ne 0 ]; then
    echo "fuzz: at least one target failed"
    exit 1
fi
echo "fuzz: every target ran ${seconds} s without a finding"
