#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program against the bundled
# device simulator.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

bin=build/bin
if [ ! -x "$bin/kzo-devsim" ] || [ ! -x "$bin/kzo-console" ]; then
    echo "Built. Still missing to start a session:"
    [ -x "$bin/kzo-devsim" ] || echo "  kzo-devsim (device simulator)"
    [ -x "$bin/kzo-console" ] || echo "  kzo-console (developer console)"
    exit 0
fi

pidfile=$(mktemp)
out=$(mktemp)
"$bin/kzo-devsim" >"$out" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$out" "$pidfile"' EXIT
for _ in $(seq 50); do
    port=$(sed -n 's/^port: //p' "$out" | head -n1)
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "${port:-}" ] || { echo "device simulator did not start"; cat "$out"; exit 1; }
echo "device simulator on $port"
"$bin/kzo-console" --no-udev --port "$port"
