#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UBSan (in build-fuzz/) and runs each for
# SECONDS seconds (default 60), starting from its seed inputs in fuzz/corpus/<target>/. Fails when any target
# finds a crash, a leak, undefined behaviour, a broken promise or a hang; the input that did it is kept in
# build-fuzz/findings/<target>/ and named in the output.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds == 0)); then
    echo "usage: bash scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
    exit 2
fi
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(dbf_reader profile_file list_input cp932_codec mode_table job_settings csv_input)
fi

# clang 14 and its run-time libraries (libFuzzer and the sanitizers) from Debian.
source scripts/packages.sh
mapfile -t missing < <(missing_packages clang-14 libclang-rt-14-dev)
install_packages "${missing[@]}"

build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTU_FUZZ=ON
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"  # what the runs learn; grows from run to run
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$target: $seconds s"
    if "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$target" \
        >"$build/fuzz_$target.log" 2>&1; then
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz_$target.log")
        echo "   no finding in ${executions:-?} executions"
    else
        failed+=("$target")
        tail -n 40 "$build/fuzz_$target.log"
        echo "   FINDING: the input is in $findings/ (whole output: $build/fuzz_$target.log)"
    fi
done

if ((${#failed[@]} > 0)); then
    echo "Fuzzing found faults in: ${failed[*]}" >&2
    exit 1
fi
echo "Fuzzing found nothing in ${#targets[@]} targets."
