#!/usr/bin/env bash
# Long run of the window against the device simulator: the gimbal page polls
# its channels, the simulator is unplugged and plugged in again every few
# minutes and now and then writes noise in front of a reply. Every 10 s the
# program's resident memory, open file descriptors and threads are sampled,
# with the channel requests the simulator saw since the last sample.
#
# Fails (exit 1) when memory, descriptors or threads grow, or when the program
# stops polling outside the seconds around an unplug (it lost the device).
set -uo pipefail

usage() {
    cat <<'EOF'
usage: scripts/soak.sh MINUTES [options]

Options:
  --bin DIR          Folder of kzo-assistant and kzo-devsim (default build/bin;
                     built first when missing).
  --replug-every S   Unplug the simulator every S seconds (default 180); it
                     plugs in again 5 s later on a new pty behind the same link.
  --garbage R        Probability of noise bytes in front of a reply (default 0.002).
  --sample S         Sampling period in seconds (default 10).
  --warmup S         Seconds before the baseline sample (default 60).
  --rss-slack KB     Allowed growth of resident memory (default 3072).
  --keep DIR         Keep the logs and the sample table in DIR.
  --help             This text.

Exit status: 0 no growth and the device kept; 1 growth, lost device or a
process ended early; 2 bad arguments.
EOF
}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin="$here/build/bin"
replug=180
garbage=0.002
sample=10
warmup=60
rss_slack=3072
keep=""
minutes=""

while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin=$(realpath -m "$2"); shift 2 ;;
    --replug-every) replug=$2; shift 2 ;;
    --garbage) garbage=$2; shift 2 ;;
    --sample) sample=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --rss-slack) rss_slack=$2; shift 2 ;;
    --keep) keep=$(realpath -m "$2"); shift 2 ;;
    --help | -h) usage; exit 0 ;;
    -*) echo "soak.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) [ -z "$minutes" ] || { usage >&2; exit 2; }; minutes=$1; shift ;;
    esac
done
for v in minutes replug sample warmup rss_slack; do
    if ! [[ ${!v:-} =~ ^[0-9]+$ ]] || [ "${!v}" -eq 0 ]; then
        echo "soak.sh: ${v/_/-} needs a positive whole number" >&2
        usage >&2
        exit 2
    fi
done

if [ ! -x "$bin/kzo-assistant" ] || [ ! -x "$bin/kzo-devsim" ]; then
    "$here/scripts/deps.sh"
    cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$here/build" -j "$(nproc)" --target kzo-assistant kzo-devsim || exit 1
    bin="$here/build/bin"
fi

work=$(mktemp -d /tmp/kzo-soak.XXXXXX)
xvfb_pid="" sim_pid="" app_pid=""
stop_pid() {
    local pid=$1 i
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null
    for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}
cleanup() {
    stop_pid "$app_pid"
    stop_pid "$sim_pid"
    stop_pid "$xvfb_pid"
    if [ -n "$keep" ]; then mkdir -p "$keep" && cp -r "$work"/. "$keep"/; fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display of its own, so the run never lands on a desktop session.
command -v Xvfb >/dev/null || "$here/scripts/deps.sh"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/xdisplay" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [ -s "$work/xdisplay" ] && break; sleep 0.1; done
[ -s "$work/xdisplay" ] || { echo "soak.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '\n' <"$work/xdisplay")"
export QT_QPA_PLATFORM=xcb

# Settings, logs and the single-instance lock of this run stay in its folder.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
export XDG_RUNTIME_DIR="$work/home/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$bin/kzo-devsim" --exit-with-parent --verbose --link "$work/port" --replug-after 5 \
    --garbage "$garbage" >"$work/devsim.log" 2>&1 &
sim_pid=$!
for ((i = 0; i < 100; i++)); do [ -e "$work/port" ] && break; sleep 0.1; done
[ -e "$work/port" ] || { echo "soak.sh: kzo-devsim did not start" >&2; cat "$work/devsim.log" >&2; exit 1; }

# A closed local port as the update server: nothing leaves this machine.
"$bin/kzo-assistant" --no-udev --port "$work/port" --server-config http://127.0.0.1:9/config.xml \
    >"$work/app.log" 2>&1 &
app_pid=$!

polls_total() { grep -ci '0x02a3' "$work/devsim.log" 2>/dev/null || true; }

table="$work/samples.txt"
printf '%6s %10s %5s %8s %7s %s\n' "t/s" "rss/KB" "fds" "threads" "polls" "event" | tee "$table"
end=$((SECONDS + minutes * 60))
start=$SECONDS
next_replug=$((start + replug))
last_unplug=-1000
last_polls=0
lost=0
rss_all=() fds_all=() thr_all=() t_all=()
while [ $SECONDS -lt $end ]; do
    sleep "$sample"
    event=""
    if ! kill -0 "$app_pid" 2>/dev/null; then
        echo "soak.sh: kzo-assistant ended early (see app.log)" >&2
        tail -20 "$work/app.log" >&2
        exit 1
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "soak.sh: kzo-devsim ended early" >&2
        exit 1
    fi
    t=$((SECONDS - start))
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$app_pid/status")
    thr=$(awk '/^Threads:/ {print $2}' "/proc/$app_pid/status")
    fds=$(find "/proc/$app_pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
    p=$(polls_total)
    dp=$((p - last_polls))
    last_polls=$p
    # Outside the 30 s around an unplug, a connected gimbal page polls all the time.
    if [ "$dp" -eq 0 ] && [ $((SECONDS - last_unplug)) -gt 30 ] && [ "$t" -gt 20 ]; then
        event="NO TRAFFIC"
        lost=$((lost + 1))
    fi
    # No unplug in the last two periods: the end is measured connected.
    if [ $SECONDS -ge $next_replug ] && [ $((end - SECONDS)) -gt $((2 * sample)) ]; then
        kill -USR1 "$sim_pid"
        last_unplug=$SECONDS
        next_replug=$((SECONDS + replug))
        event="${event:+$event, }unplug (replug in 5 s)"
    fi
    printf '%6d %10d %5d %8d %7d %s\n' "$t" "$rss" "$fds" "$thr" "$dp" "$event" | tee -a "$table"
    t_all+=("$t") rss_all+=("$rss") fds_all+=("$fds") thr_all+=("$thr")
done

n=${#t_all[@]}
base=0
for ((i = 0; i < n; i++)); do
    if [ "${t_all[$i]}" -ge "$warmup" ]; then base=$i; break; fi
done
last=$((n - 1))
# Medians of up to five samples at each end smooth out a single allocation burst.
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }
hi=$((base + 5 < n ? base + 5 : n))
lo=$((n - 5 > base ? n - 5 : base))
rss_base=$(median "${rss_all[@]:$base:$((hi - base))}")
rss_end=$(median "${rss_all[@]:$lo:$((n - lo))}")
replugs=$(grep -c 'replugged:' "$work/devsim.log" || true)

echo
echo "samples: $n over $((t_all[last])) s; unplugs and re-plugs: $replugs"
printf '%-22s %10s %10s %10s\n' "" "first" "baseline" "last"
printf '%-22s %10s %10s %10s\n' "resident memory/KB" "${rss_all[0]}" "${rss_all[$base]} (t=${t_all[$base]})" "${rss_all[$last]}"
printf '%-22s %10s %10s %10s\n' "file descriptors" "${fds_all[0]}" "${fds_all[$base]}" "${fds_all[$last]}"
printf '%-22s %10s %10s %10s\n' "threads" "${thr_all[0]}" "${thr_all[$base]}" "${thr_all[$last]}"
echo "memory median of five: $rss_base KB after the warm-up, $rss_end KB at the end ($((rss_end - rss_base)) KB)"

status=0
if [ $((rss_end - rss_base)) -gt "$rss_slack" ]; then
    echo "FAIL: resident memory grew by $((rss_end - rss_base)) KB (allowed $rss_slack)"
    status=1
fi
if [ "${fds_all[$last]}" -gt $((fds_all[base] + 2)) ]; then
    echo "FAIL: file descriptors grew from ${fds_all[$base]} to ${fds_all[$last]}"
    status=1
fi
if [ "${thr_all[$last]}" -gt $((thr_all[base] + 2)) ]; then
    echo "FAIL: threads grew from ${thr_all[$base]} to ${thr_all[$last]}"
    status=1
fi
if [ "$lost" -gt 0 ]; then
    echo "FAIL: $lost samples without any channel request outside an unplug"
    status=1
fi
[ $status -eq 0 ] && echo "no growth; the device was kept through every re-plug"
exit $status
