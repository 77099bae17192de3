#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program against the bundled
# device simulator and update-server simulator. `./run.sh --device` starts the
# program for real hardware instead (udev discovery, the maker's server).
# Further arguments go to the program, e.g. `./run.sh --all-pages` for the
# pages this configuration builds but does not show.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only the programs: the tests are ./test.sh's business.
cmake --build build -j "$(nproc)" --target kzo-assistant kzo-devsim kzo-updsim

bin=build/bin
if [ "${1:-}" = "--device" ]; then
    shift
    exec "$bin/kzo-assistant" "$@"
fi

simout=$(mktemp)
updout=$(mktemp)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -f "$simout" "$updout"
}
trap cleanup EXIT

# Both simulators also end by themselves should this script be killed.
"$bin/kzo-devsim" --exit-with-parent >"$simout" 2>&1 &
pids+=($!)
"$bin/kzo-updsim" --exit-with-parent --port 0 --offer mc=3.3 >"$updout" 2>&1 &
pids+=($!)

port="" url=""
for _ in $(seq 100); do
    [ -n "$port" ] || port=$(sed -n 's/^port: //p' "$simout" | head -n1)
    [ -n "$url" ] || url=$(sed -n 's/^listening: //p' "$updout" | head -n1)
    [ -n "$port" ] && [ -n "$url" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "device simulator did not start:"; cat "$simout"; exit 1; }
[ -n "$url" ] || { echo "update-server simulator did not start:"; cat "$updout"; exit 1; }
echo "device simulator on $port, update server at $url"
echo "sign in as pilot@example.com / secret1; the server offers main-controller firmware 3.3"

args=(--no-udev --port "$port" --server-config "${url}server_config.xml")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "no display: running under xvfb-run"
    xvfb-run -a "$bin/kzo-assistant" "${args[@]}" "$@"
else
    "$bin/kzo-assistant" "${args[@]}" "$@"
fi
