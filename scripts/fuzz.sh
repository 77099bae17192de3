#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one:
# first once over its checked-in corpus (a regression check: every saved
# input, crashes found earlier included, must pass), then for SECONDS
# (default 60) on a copy of that corpus, so a run never changes the
# repository. Prints one line per target and exits non-zero when any target
# failed.
#
#   scripts/fuzz.sh [SECONDS]
#
# KZO_FUZZ_RUNS=N also stops each target after N executions (long runs);
# KZO_FUZZ_BUILD names another build folder; KZO_FUZZ_ONLY="a b" runs only
# those targets.
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KZO_FUZZ_BUILD:-$root/build-fuzz}"

# clang and its runtime (libFuzzer, sanitizers) from Debian, when missing.
"$root"/scripts/deps.sh clang libclang-rt-14-dev cmake ninja-build

if ! grep -qs '^KZO_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
    # -O1 with line tables: quick to build, fast enough to fuzz, and crash
    # stacks still name file and line.
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DKZO_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
        -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" >/dev/null
fi
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --build "$build" --target kzo-fuzz-all -j "$jobs" >"$build/fuzz-build.log" 2>&1 || {
    tail -n 40 "$build/fuzz-build.log" >&2
    echo "fuzz build failed (log: $build/fuzz-build.log)" >&2
    exit 1
}

mapfile -t targets <"$build/fuzz-targets.txt"
if [ -n "${KZO_FUZZ_ONLY:-}" ]; then
    read -r -a targets <<<"$KZO_FUZZ_ONLY"
fi

# Targets that need files work in a private folder under TMPDIR; memory is faster.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

extra=()
[ -n "${KZO_FUZZ_RUNS:-}" ] && extra+=("-runs=$KZO_FUZZ_RUNS")

# Last "cov: N ft: M" of a libFuzzer log, and its executions counter.
stat_of() { grep -o "$2: [0-9]*" "$1" | tail -n 1 | awk '{print $2}' || true; }

failed=0
rows=()
work_root="$build/fuzz-work"
mkdir -p "$work_root"
for t in "${targets[@]}"; do
    bin="$build/bin/$t"
    seeds="$root/fuzz/corpus/$t"
    work="$work_root/$t"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    [ -d "$seeds" ] && cp -r "$seeds/." "$work/corpus/"
    echo "== $t: regression over $(ls "$work/corpus" | wc -l) saved inputs, then ${seconds}s" >&2

    result="no crash"
    # Regression: every saved input once, nothing mutated.
    if ! "$bin" -runs=0 -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/regression.log" 2>&1; then
        result="REGRESSION: $(ls -d "$work"/artifacts/* 2>/dev/null | head -n 1 || true) (log: $work/regression.log)"
        failed=1
    else
        set +e
        "$bin" -max_total_time="$seconds" "${extra[@]}" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/fuzz.log" 2>&1
        rc=$?
        set -e
        artifact="$(ls -d "$work"/artifacts/* 2>/dev/null | head -n 1 || true)"
        if [ $rc -ne 0 ] || [ -n "$artifact" ]; then
            result="CRASH: ${artifact:-exit $rc} (log: $work/fuzz.log)"
            failed=1
        fi
    fi
    log="$work/fuzz.log"
    [ -f "$log" ] || log="$work/regression.log"
    execs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{print $2}' | tail -n 1 || true)"
    rows+=("$(printf '%-22s %12s %8s %8s %8s  %s' "$t" "${execs:--}" "$(stat_of "$log" cov)" "$(stat_of "$log" ft)" \
        "$(ls "$work/corpus" | wc -l)" "$result")")
done

echo
printf '%-22s %12s %8s %8s %8s  %s\n' "target" "executions" "cov" "ft" "corpus" "result"
printf '%s\n' "${rows[@]}"
exit $failed
