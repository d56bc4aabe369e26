#!/bin/bash
# Runs the fuzz targets of a fuzz build, PARALLEL of them at a time (one
# core each), and fails when any finds a crash, a sanitizer report, a failed
# check or an input that runs too long. Then it replays each target's corpus
# through the coverage build's copy of the target and prints, per target,
# the inputs tried, the inputs a second, and the line and branch coverage of
# the reader's own source file.
#
#   fuzz/run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]
#
# SECONDS is the time of each deep target (fuzz_level ... fuzz_svg, a frame
# loop or a whole shape compile per input). The reader targets (fuzz_*_reader, the reader
# alone) run FUZZ_READER_SECONDS each (default SECONDS), or, when
# FUZZ_READER_RUNS is set, until they have tried that many inputs.
# FUZZ_COVERAGE_BUILD names the coverage build (default BUILD_DIR-cov); when
# it holds no copy of a target, that target's coverage is left out.
#
# New inputs go to BUILD_DIR/fuzz-work/TARGET/corpus (kept between runs),
# findings to BUILD_DIR/fuzz-work/TARGET/artifacts, the log to
# BUILD_DIR/fuzz-work/TARGET.log; the committed seeds in fuzz/corpus/ are
# read, never written.
set -o pipefail

usage="usage: fuzz/run.sh BUILD_DIR SECONDS [PARALLEL] [TARGET...]"
build=${1:?$usage}
seconds=${2:?$usage}
parallel=${3:-1}
shift $(( $# < 3 ? $# : 3 ))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(level replay level_text key_script shape_text svg
    level_reader replay_reader level_text_reader key_script_reader
    shape_text_reader svg_reader)
reader_seconds=${FUZZ_READER_SECONDS:-$seconds}
reader_runs=${FUZZ_READER_RUNS:-}
coverage_build=${FUZZ_COVERAGE_BUILD:-$build-cov}

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz-work"
mkdir -p "$work"
llvm_profdata=$(command -v llvm-profdata-14 || command -v llvm-profdata)
llvm_cov=$(command -v llvm-cov-14 || command -v llvm-cov)

is_reader() { [[ $1 == *_reader ]]; }

# The seeds: a reader target shares those of the deep target of its input.
seeds() { echo "$source_dir/fuzz/corpus/${1%_reader}"; }

# The reader's own source file, whose coverage is shown.
reader_source() {
    case "${1%_reader}" in
        level) echo app/level_file.cpp ;;
        replay) echo app/replay_file.cpp ;;
        level_text) echo tools/levels/level_text.cpp ;;
        key_script) echo tools/replays/key_script.cpp ;;
        shape_text) echo tools/shapes/shape_text.cpp ;;
        svg) echo tools/shapes/svg_reader.cpp ;;
    esac
}

# Longest input per target. Deep: a level of 170 triangles, a replay of 64
# records after its control byte, texts of a few hundred lines; a shape
# source of a few hundred bytes, which can already ask for a mesh of
# thousands of triangles. Readers: a
# reader's rules need no long input, and a short one runs the faster: a
# level of 42 triangles, 16 records, a few dozen lines.
max_len() {
    case "$1" in
        replay) echo 4097 ;;
        key_script) echo 2048 ;;
        replay_reader) echo 1025 ;;
        level_reader) echo 1024 ;;
        level_text_reader | key_script_reader) echo 512 ;;
        shape_text | shape_text_reader) echo 512 ;;
        svg | svg_reader) echo 1024 ;;
        *) echo 4096 ;;
    esac
}

# Seconds one input may take before it counts as a hang: a few hundred
# times what one takes. A shape source of a few hundred bytes can ask for
# a mesh of thousands of triangles, a tenth of a second natively and some
# seconds under the sanitizers on a loaded machine; a refused drawing with
# curves is meshed up to twice more, flattened evenly and then mended where
# curves meet, then read again with its curves cut into equal chords and
# meshed with corners moved, and a refused source of either form is then
# mended and meshed up to three times where its shapes meet; one that then
# compiles is compiled twice by the checks. Some inputs take a minute or
# two under the sanitizers on a loaded machine; a hang takes for ever.
input_timeout() {
    case "$1" in
        shape_text|svg) echo 300 ;;
        *) echo 3 ;;
    esac
}

budget() {
    if is_reader "$1" && [ -n "$reader_runs" ]; then
        echo "-runs=$reader_runs"
    elif is_reader "$1"; then
        echo "-max_total_time=$reader_seconds"
    else
        echo "-max_total_time=$seconds"
    fi
}

run_one() {
    local target=$1
    local dir="$work/$target"
    mkdir -p "$dir/corpus" "$dir/artifacts"
    local status
    # Wall time, and the processor time the target had: on a shared machine
    # the two differ, and inputs per processor second is the speed on one core.
    local TIMEFORMAT='%R %U %S'
    { time UBSAN_OPTIONS=print_stacktrace=1 "$build/fuzz_$target" \
        "$(budget "$target")" -timeout="$(input_timeout "$target")" -rss_limit_mb=2048 -max_len="$(max_len "$target")" \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
        "$dir/corpus" "$(seeds "$target")" >"$work/$target.log" 2>&1; } 2>"$work/$target.time"
    status=$?
    [ "$status" -eq 0 ] && coverage "$target"
    return "$status"
}

# The corpus (the run's and the seeds) through the coverage build's copy of
# the target; "lines L% (covered/all), branches B% (covered/all)" of the
# reader's file into TARGET.coverage.
coverage() {
    local target=$1 binary="$coverage_build/fuzz_$target"
    local out="$work/$target.coverage"
    rm -f "$out"
    [ -x "$binary" ] && [ -n "$llvm_profdata" ] && [ -n "$llvm_cov" ] || return 0
    local profile="$work/$target.profraw"
    rm -f "$profile"
    if ! LLVM_PROFILE_FILE="$profile" ZUNO_FUZZ_FRAME_MS=100000 "$binary" "$work/$target/corpus" "$(seeds "$target")" \
        >"$work/$target.coverage.log" 2>&1; then
        echo "coverage run failed, see $work/$target.coverage.log" >"$out"
        return 0
    fi
    "$llvm_profdata" merge -sparse -o "$work/$target.profdata" "$profile" &&
        "$llvm_cov" report "$binary" -instr-profile="$work/$target.profdata" \
            "$source_dir/$(reader_source "$target")" 2>>"$work/$target.coverage.log" |
        awk -v file="$(reader_source "$target")" '
            $1 == "TOTAL" {
                # Regions, missed, %; functions, missed, %; lines, missed, %; branches, missed, %.
                printf "%s lines %s (%d/%d), branches %s (%d/%d)", file, $10, $8 - $9, $8, $13, $11 - $12, $11
            }' >"$out"
}

summary() {
    local target=$1 status=$2
    local log="$work/$target.log"
    local runs slowest wall user system speed covered
    runs=$(grep -a 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    slowest=$(grep -a '^slowest frame' "$log" | tail -1 | sed 's/^slowest frame: //')
    read -r wall user system <"$work/$target.time"
    if [ "$status" -eq 0 ]; then
        speed=$(awk -v n="${runs:-0}" -v w="$wall" -v c="$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" \
            'BEGIN { printf "%.0f s, %.0f inputs/s (%.0f a processor second)", w, n / w, n / c }')
        covered=$(cat "$work/$target.coverage" 2>/dev/null)
        printf 'fuzz_%s: ok, %s inputs in %s%s; %s\n' "$target" "${runs:-?}" "$speed" \
            "${slowest:+, slowest frame $slowest}" "${covered:-coverage not measured}"
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
echo "fuzz: every target ran its budget without a finding"
