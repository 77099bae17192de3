#!/usr/bin/env bash
# What the main window costs while it runs: the CPU share of kzo-assistant and
# every process it starts (the web engine's helpers), the resident memory of
# each, and the time from launch to the first read-all request, against
# kzo-devsim on a pty. Starts Xvfb when no display is given, so the window is
# composed as on a desktop without a GPU.
#
# Prints one "name: value" line per figure; --runs adds min/median/max lines.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin="$here/../build/bin"
warmup=15
window=40
page=0
connected=1
skip_splash=0
minutes=0
sample=30
runs=1
keep=""
screenshot=""
server="http://127.0.0.1:9/config.xml"
paint_log=0

usage() {
    cat <<'EOF'
usage: bench/window_cost.sh [options]

Starts Xvfb (only when DISPLAY is not set), kzo-devsim and kzo-assistant on
the simulator's pty, waits the warm-up, then measures over the window:
  cpu            utime+stime of kzo-assistant and all its descendants, as %
                 of one core (also per process)
  rss            VmRSS (and PSS) of each of those processes at the end of
                 the window
  read-all       launch to the program's "apploadingData" line (the start of
                 its read-all sequence)
  channel polls  channel replies (0x02A4) the program logged in the window

Options:
  --bin DIR           Folder of kzo-assistant and kzo-devsim (default build/bin).
  --warmup S          Seconds between launch and the window (default 15).
  --window S          Length of the measuring window in seconds (default 40).
  --page N            Click page button N (0 gimbal, 1 upgrade: no polling,
                      2 info) before the warm-up; needs xdotool.
  --disconnected      No kzo-devsim: the program watches a port that never
                      appears and stays on its splash.
  --skip-splash       With --disconnected: press the splash's skip button, so
                      the main window is measured (needs xdotool).
  --minutes M         Long run for memory: sample RSS, threads and file
                      descriptors every --sample seconds for M minutes after
                      launch; cpu is then measured from the warm-up to the end.
  --sample S          RSS sampling period of --minutes (default 30).
  --runs N            Repeat the whole measurement N times (fresh processes)
                      and print min/median/max of cpu and read-all.
  --screenshot FILE   Save the window as FILE (PNG) at the end of the window.
  --paint-log         Turn on Qt's painting and backing-store log and count,
                      in the window, the window flushes (each one composes the
                      whole window when it holds a web view) per channel reply
                      and those made for the activity icon alone. The log
                      costs CPU itself: take cpu from a run without it.
  --server-config URL Update-server configuration URL handed to the program
                      (default a closed local port: no traffic leaves here).
  --keep DIR          Keep the logs (program, simulator) in DIR.
  --help              This text.

The environment is passed on as it is (e.g. QT_QUICK_BACKEND=software to
compare); QT_*/QTWEBENGINE_* variables in force are printed with the figures.
EOF
}

while [ $# -gt 0 ]; do
    case "$1" in
    --bin) bin=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --window) window=$2; shift 2 ;;
    --page) page=$2; shift 2 ;;
    --disconnected) connected=0; shift ;;
    --skip-splash) skip_splash=1; shift ;;
    --minutes) minutes=$2; shift 2 ;;
    --sample) sample=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --screenshot) screenshot=$(realpath -m "$2"); shift 2 ;;
    --server-config) server=$2; shift 2 ;;
    --keep) keep=$(realpath -m "$2"); shift 2 ;;
    --paint-log) paint_log=1; shift ;;
    --help | -h) usage; exit 0 ;;
    *) echo "window_cost.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    esac
done

for v in warmup window page minutes sample runs; do
    if ! [[ ${!v} =~ ^[0-9]+$ ]]; then
        echo "window_cost.sh: --$v needs a whole number" >&2
        exit 2
    fi
done
[ "$runs" -ge 1 ] || runs=1
[ "$sample" -ge 1 ] || sample=1
for p in kzo-assistant kzo-devsim; do
    if [ ! -x "$bin/$p" ]; then
        echo "window_cost.sh: $bin/$p not found (build it first)" >&2
        exit 1
    fi
done

install_package() { # command package
    command -v "$1" >/dev/null && return 0
    echo "installing $2" >&2
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get install -y -qq --no-install-recommends "$2" >/dev/null 2>&1 ||
        { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "$2" >/dev/null; }
    command -v "$1" >/dev/null
}

needs_clicks=0
{ [ "$page" -ne 0 ] || [ "$skip_splash" -eq 1 ]; } && needs_clicks=1
if [ "$needs_clicks" -eq 1 ] && ! install_package xdotool xdotool; then
    echo "window_cost.sh: xdotool is needed for --page/--skip-splash" >&2
    exit 1
fi

work=$(mktemp -d /tmp/window_cost.XXXXXX)
if [ "$paint_log" -eq 1 ]; then
    export QT_LOGGING_RULES="${QT_LOGGING_RULES:+$QT_LOGGING_RULES;}qt.widgets.painting=true;qt.qpa.backingstore=true"
fi
hz=$(getconf CLK_TCK)
xvfb_pid=""
sim_pid=""
app_pid=""
reader_pid=""
declare -A seen_pids=()

stop_pid() { # pid: TERM, then KILL after 5 s
    local pid=$1 i
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null
    for ((i = 0; i < 50; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

stop_run() {
    stop_pid "$app_pid"
    # Helpers normally end with the program; any left over go now (only if
    # the pid still has the start time we saw: never a reused pid).
    local pid line rest f
    for pid in "${!seen_pids[@]}"; do
        { read -r line <"/proc/$pid/stat"; } 2>/dev/null || continue
        rest=${line##*) }
        read -r -a f <<<"$rest"
        [ "${f[19]}" = "${seen_pids[$pid]}" ] && kill -KILL "$pid" 2>/dev/null
    done
    seen_pids=()
    stop_pid "$sim_pid"
    stop_pid "$reader_pid"
    app_pid="" sim_pid="" reader_pid=""
}

cleanup() {
    stop_run
    stop_pid "$xvfb_pid"
    xvfb_pid=""
    if [ -n "$keep" ]; then
        mkdir -p "$keep" && cp -r "$work"/. "$keep"/ 2>/dev/null
    fi
    rm -rf "$work"
}
# shellcheck disable=SC2317 # run by the trap
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# ---- display -----------------------------------------------------------------

display_note="given"
if [ -z "${DISPLAY:-}" ]; then
    if ! install_package Xvfb xvfb; then
        echo "window_cost.sh: Xvfb is needed when DISPLAY is not set" >&2
        exit 1
    fi
    : >"$work/xdisplay"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/xdisplay" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for ((i = 0; i < 100; i++)); do
        [ -s "$work/xdisplay" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$work/xdisplay" ]; then
        echo "window_cost.sh: Xvfb did not start" >&2
        exit 1
    fi
    DISPLAY=":$(tr -d '\n' <"$work/xdisplay")"
    export DISPLAY
    display_note="Xvfb started here"
fi

# ---- measuring helpers ---------------------------------------------------------

# "pid ticks rss_kb pss_kb start_time name" for the program and all its descendants.
tree_snapshot() { # root
    local -A kids=()
    local st line rest pid ppid
    for st in /proc/[0-9]*/stat; do
        { read -r line <"$st"; } 2>/dev/null || continue
        pid=${line%% *}
        rest=${line##*) }
        read -r _ ppid _ <<<"$rest"
        kids[$ppid]+=" $pid"
    done
    local queue=("$1")
    while [ ${#queue[@]} -gt 0 ]; do
        pid=${queue[0]}
        queue=("${queue[@]:1}")
        # shellcheck disable=SC2206
        [ -n "${kids[$pid]:-}" ] && queue+=(${kids[$pid]})
        { read -r line <"/proc/$pid/stat"; } 2>/dev/null || continue
        rest=${line##*) }
        local f
        read -r -a f <<<"$rest"
        local ticks=$((f[11] + f[12]))
        local rss
        rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
        local pss
        pss=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null)
        local name
        name=$(tr -d '\n' 2>/dev/null <"/proc/$pid/comm")
        # The engine's renderers are forked from its zygotes and keep their
        # command line: tell them apart by their parent.
        if [[ $name == QtWebEngine* ]]; then
            if [ "${f[1]}" = "$1" ]; then
                name="QtWebEngineProcess(zygote)"
            else
                name="QtWebEngineProcess(renderer)"
            fi
        fi
        echo "$pid $ticks ${rss:-0} ${pss:-0} ${f[19]} $name"
    done
}

# CPU ticks between two snapshots: processes that came later count from 0,
# processes gone before the end keep their last sampled value.
declare -A first_ticks=() last_ticks=() proc_name=() proc_rss=() proc_pss=()
sample_tree() { # root [first]
    local pid ticks rss pss start name
    while read -r pid ticks rss pss start name; do
        seen_pids[$pid]=$start
        if [ "${2:-}" = first ]; then
            first_ticks[$pid]=$ticks
        elif [ -z "${first_ticks[$pid]:-}" ]; then
            first_ticks[$pid]=0
        fi
        last_ticks[$pid]=$ticks
        proc_name[$pid]=$name
        proc_rss[$pid]=$rss
        proc_pss[$pid]=$pss
    done < <(tree_snapshot "$1")
}

pct() { # ticks seconds
    awk -v t="$1" -v s="$2" -v hz="$hz" 'BEGIN { printf "%.1f", (s > 0 ? t / hz / s * 100 : 0) }'
}
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# Window ids of the program's visible windows with their geometry: "id x y w h".
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
        local X Y WIDTH HEIGHT
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
        echo "$id ${X:-0} ${Y:-0} ${WIDTH:-0} ${HEIGHT:-0}"
    done
}

# The largest visible window of the program, waiting up to S seconds: "id x y w h".
wait_window() { # seconds [min_width]
    local deadline=$((SECONDS + $1)) best
    while [ $SECONDS -le $deadline ]; do
        best=$(program_windows | awk -v m="${2:-0}" '$4 >= m && $4 * $5 > a { a = $4 * $5; b = $0 } END { print b }')
        [ -n "$best" ] && { echo "$best"; return 0; }
        sleep 0.2
    done
    return 1
}

click_at() { # x y
    xdotool mousemove --sync "$1" "$2" click 1 >/dev/null 2>&1
}


# ---- one run ---------------------------------------------------------------------

cpu_results=()
readall_results=()

one_run() { # run number
    local run=$1
    local dir="$work/run$run"
    mkdir -p "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    first_ticks=() last_ticks=() proc_name=() proc_rss=() proc_pss=()

    local port
    if [ "$connected" -eq 1 ]; then
        "$bin/kzo-devsim" --exit-with-parent >"$dir/devsim.log" 2>&1 &
        sim_pid=$!
        for ((i = 0; i < 100; i++)); do
            port=$(sed -n 's/^port: //p' "$dir/devsim.log" 2>/dev/null | head -1)
            [ -n "$port" ] && break
            sleep 0.1
        done
        if [ -z "$port" ]; then
            echo "window_cost.sh: kzo-devsim gave no port" >&2
            return 1
        fi
    else
        port="$dir/no-device" # watched, never there
    fi

    # Every line of the program stamped on arrival; the reader is our child,
    # not the program's, so its cost is not counted.
    mkfifo "$dir/out.fifo"
    while IFS= read -r l; do printf '%s %s\n' "$EPOCHREALTIME" "$l"; done <"$dir/out.fifo" >"$dir/app.log" &
    reader_pid=$!

    local t0=$EPOCHREALTIME
    env HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share" \
        XDG_CACHE_HOME="$dir/home/.cache" XDG_RUNTIME_DIR="$dir/runtime" ${screenshot:+KZO_SCREENSHOT="$screenshot"} \
        "$bin/kzo-assistant" --no-udev --port "$port" --server-config "$server" >"$dir/out.fifo" 2>&1 &
    app_pid=$!
    local launch_s=$SECONDS

    if [ "$needs_clicks" -eq 1 ]; then
        if [ "$skip_splash" -eq 1 ] && [ "$connected" -eq 0 ]; then
            # The skip button shows one second after the splash.
            local w
            if w=$(wait_window 20) && sleep 1.5; then
                read -r _ x y ww hh <<<"$w"
                click_at $((x + ww - 90 + 36)) $((y + hh - 42 + 14))
                wait_window 10 800 >/dev/null || echo "window_cost.sh: the main window did not show after skip" >&2
            else
                echo "window_cost.sh: no splash window to skip" >&2
            fi
        fi
        if [ "$page" -ne 0 ]; then
            local m
            if m=$(wait_window 30 800); then
                sleep 1
                read -r _ x y _ _ <<<"$m"
                # Page buttons: 96x72 from x 26 (border 8 + scroll button 18), y 42.
                click_at $((x + 26 + 96 * page + 48)) $((y + 42 + 36))
            else
                echo "window_cost.sh: main window not found; page not changed" >&2
            fi
        fi
        launch_s=$SECONDS
    fi

    local until=$((launch_s + warmup))
    while [ $SECONDS -lt $until ]; do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.5
    done
    if ! kill -0 "$app_pid" 2>/dev/null; then
        echo "window_cost.sh: kzo-assistant ended during the warm-up; its output:" >&2
        tail -20 "$dir/app.log" >&2
        return 1
    fi

    local tstart=$EPOCHREALTIME
    sample_tree "$app_pid" first
    local end_s
    if [ "$minutes" -gt 0 ]; then
        end_s=$((launch_s + minutes * 60))
    else
        end_s=$((SECONDS + window))
    fi
    local next_rss=$((launch_s + sample))
    local rss_log="$dir/rss.tsv"
    : >"$rss_log"
    while [ $SECONDS -lt $end_s ] && kill -0 "$app_pid" 2>/dev/null; do
        sleep 1
        sample_tree "$app_pid"
        if [ "$minutes" -gt 0 ] && [ $SECONDS -ge $next_rss ]; then
            local main_kb=${proc_rss[$app_pid]:-0} helper_kb=0 pid
            for pid in "${!proc_rss[@]}"; do
                [ "$pid" != "$app_pid" ] && kill -0 "$pid" 2>/dev/null && helper_kb=$((helper_kb + proc_rss[$pid]))
            done
            local fds threads
            fds=$(ls "/proc/$app_pid/fd" 2>/dev/null | wc -l)
            threads=$(awk '/^Threads:/ {print $2}' "/proc/$app_pid/status" 2>/dev/null)
            local at=$((SECONDS - launch_s))
            printf '%s\t%s\t%s\t%s\t%s\n' "$at" "$main_kb" "$helper_kb" "$fds" "$threads" >>"$rss_log"
            echo "rss at ${at} s: kzo-assistant $(mb "$main_kb") MB, helpers $(mb "$helper_kb") MB, fds $fds, threads $threads"
            next_rss=$((next_rss + sample))
        fi
    done
    local tend=$EPOCHREALTIME
    if ! kill -0 "$app_pid" 2>/dev/null; then
        echo "window_cost.sh: kzo-assistant ended during the window" >&2
        return 1
    fi
    if [ -n "$screenshot" ]; then
        kill -USR1 "$app_pid"
        sleep 2
    fi

    local secs total=0 pid
    secs=$(awk -v a="$tstart" -v b="$tend" 'BEGIN { printf "%.2f", b - a }')
    for pid in "${!last_ticks[@]}"; do
        total=$((total + last_ticks[$pid] - first_ticks[$pid]))
    done
    local cpu
    cpu=$(pct "$total" "$secs")
    cpu_results+=("$cpu")

    local polls
    polls=$(awk -v a="$tstart" -v b="$tend" '$1 >= a && $1 <= b && /ID : 0x02A4/ { n++ } END { print n + 0 }' "$dir/app.log")
    local readall
    readall=$(awk -v t0="$t0" '/apploadingData/ { printf "%.2f", $1 - t0; exit }' "$dir/app.log")
    [ -n "$readall" ] && readall_results+=("$readall")

    echo "run: $run of $runs"
    echo "cpu: $cpu % of one core (kzo-assistant and $((${#last_ticks[@]} - 1)) processes under it, ${secs} s after ${warmup} s warm-up)"
    for pid in $(for p in "${!last_ticks[@]}"; do echo "$p"; done | sort -n); do
        echo "cpu ${proc_name[$pid]}[$pid]: $(pct $((last_ticks[$pid] - first_ticks[$pid])) "$secs") %"
    done
    local helpers=0 helpers_pss=0
    for pid in $(for p in "${!proc_rss[@]}"; do echo "$p"; done | sort -n); do
        kill -0 "$pid" 2>/dev/null || continue
        echo "rss ${proc_name[$pid]}[$pid]: $(mb "${proc_rss[$pid]}") MB (pss $(mb "${proc_pss[$pid]}") MB)"
        if [ "$pid" != "$app_pid" ]; then
            helpers=$((helpers + proc_rss[$pid]))
            helpers_pss=$((helpers_pss + proc_pss[$pid]))
        fi
    done
    echo "rss helpers total: $(mb "$helpers") MB (pss $(mb "$helpers_pss") MB)"
    if [ -n "$readall" ]; then
        echo "launch to read-all: $readall s"
    else
        echo "launch to read-all: none"
    fi
    echo "channel polls answered in window: $polls ($(awk -v n="$polls" -v s="$secs" 'BEGIN { printf "%.1f", (s > 0 ? n / s : 0) }')/s)"
    if [ "$paint_log" -eq 1 ]; then
        awk -v a="$tstart" -v b="$tend" -v polls="$polls" '
            $1 < a || $1 > b { next }
            /qt.qpa.backingstore: Composing and flushing/ { composed++ }
            /qt.widgets.painting: Painting and flushing dirty top level/ {
                flushes++
                if ($0 ~ /dirty widgets QList\(QLabel\([^)]*name="activityIcon"\)\)$/) icon++
                else if ($0 ~ /horizontalSlider_|label_[0-9]/) channel++
                else other++ }
            END { printf "window flushes in window: %d (%.2f per channel reply)\n", flushes, (polls > 0 ? flushes / polls : 0)
                  printf "flushes for the activity icon alone: %d, with channel widgets: %d, other: %d\n", icon, channel, other
                  printf "whole-window compositions (GPU path): %d\n", composed }' "$dir/app.log"
    fi
    if [ "$minutes" -gt 0 ] && [ -s "$rss_log" ]; then
        # Growth after the first minute, by least squares over the samples.
        awk -F'\t' '$1 >= 60 { n++; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2
                        if (!f) { f = 1; y0 = $2; t0 = $1; fd0 = $4; th0 = $5 } y1 = $2; t1 = $1; fd1 = $4; th1 = $5 }
            END { if (n < 2) { print "rss growth: too few samples after the first minute"; exit }
                  slope = (n * sxy - sx * sy) / (n * sxx - sx * sx)
                  printf "rss growth kzo-assistant: %+.1f MB from %d s to %d s (%+.2f MB/min fitted)\n", (y1 - y0) / 1024, t0, t1, slope * 60 / 1024
                  printf "fds %d -> %d, threads %d -> %d\n", fd0, fd1, th0, th1 }' "$rss_log"
    fi
    if [ -n "$screenshot" ]; then
        [ -s "$screenshot" ] && echo "screenshot: $screenshot" || echo "screenshot: not saved"
    fi
    stop_run
}

env_note=$(env | grep -E '^(QT_|QTWEBENGINE_|QSG_|LIBGL_)' | sort | tr '\n' ' ')
read -r l1 l5 l15 _ </proc/loadavg
echo "machine: $(nproc) cores, load $l1 $l5 $l15"
echo "display: $DISPLAY ($display_note)"
echo "setup: $([ "$connected" -eq 1 ] && echo "connected to kzo-devsim" || echo disconnected), page $page$([ "$skip_splash" -eq 1 ] && echo ", splash skipped")${env_note:+, environment: $env_note}"

status=0
for ((r = 1; r <= runs; r++)); do
    one_run "$r" || { status=1; stop_run; }
done
if [ "$runs" -gt 1 ]; then
    summary() { # name values...
        local name=$1
        shift
        [ $# -eq 0 ] && return
        printf '%s\n' "$@" | sort -g | awk -v n="$name" '{ v[NR] = $1 } END { printf "%s over %d runs: min %s, median %s, max %s\n", n, NR, v[1], (NR % 2 ? v[(NR + 1) / 2] : sprintf("%.3g", (v[NR / 2] + v[NR / 2 + 1]) / 2)), v[NR] }'
    }
    summary "cpu %" "${cpu_results[@]}"
    summary "launch to read-all s" "${readall_results[@]}"
fi
read -r l1 l5 l15 _ </proc/loadavg
echo "load after: $l1 $l5 $l15"
exit $status
