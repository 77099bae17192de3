#!/usr/bin/env bash
# The upgrade engine's transfer time over a bare stop-and-wait loop on the
# same pty (kzo_upgrade_bench's "ratio" counter), over several runs of the
# benchmark. Each run does its own five repetitions; a run's figure is their
# median, and the figure printed last is the median of the runs' figures.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench="$here/../build/bin/kzo_upgrade_bench"
runs=5

usage() {
    cat <<'EOF'
usage: bench/upgrade_ratio.sh [--runs N] [--bench PATH]

Runs kzo_upgrade_bench N times (default 5) and prints, per run, the ratio of
each repetition and their median, then the median ratio over the runs and
over all repetitions.
EOF
}

while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --bench) bench=$2; shift 2 ;;
    --help | -h) usage; exit 0 ;;
    *) echo "upgrade_ratio.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    esac
done
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
    echo "upgrade_ratio.sh: --runs needs a positive whole number" >&2
    exit 2
fi
if [ ! -x "$bench" ]; then
    echo "upgrade_ratio.sh: $bench not found (build kzo_upgrade_bench first)" >&2
    exit 1
fi

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; if (NR % 2) print v[(NR + 1) / 2]; else printf "%.4g\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

out=$(mktemp)
trap 'rm -f "$out"' EXIT
read -r l1 l5 l15 _ </proc/loadavg
echo "machine: $(nproc) cores, load $l1 $l5 $l15"

run_medians=()
all=()
for ((r = 1; r <= runs; r++)); do
    if ! "$bench" --benchmark_format=csv >"$out" 2>/dev/null; then
        echo "upgrade_ratio.sh: run $r failed" >&2
        exit 1
    fi
    # The repetitions' rows, not the aggregates (mean, median, stddev, cv);
    # a row with an error has no ratio.
    mapfile -t ratios < <(awk -F, '
        NR == 1 { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); if (h == "ratio") c = i; if (h == "error_occurred") e = i } next }
        c && $1 ~ /manual_time"?$/ && $e != "true" && $c != "" { print $c }' "$out")
    if [ ${#ratios[@]} -eq 0 ]; then
        echo "upgrade_ratio.sh: run $r printed no ratio" >&2
        exit 1
    fi
    m=$(printf '%s\n' "${ratios[@]}" | median)
    run_medians+=("$m")
    all+=("${ratios[@]}")
    echo "run $r: median ratio $m (repetitions: ${ratios[*]})"
done
echo "median ratio over $runs runs: $(printf '%s\n' "${run_medians[@]}" | median) (runs: ${run_medians[*]})"
echo "median ratio over all ${#all[@]} repetitions: $(printf '%s\n' "${all[@]}" | median)"
read -r l1 l5 l15 _ </proc/loadavg
echo "load after: $l1 $l5 $l15"
