#!/usr/bin/env bash
# The demo: shows the libraries at work against the simulators, in a scratch settings folder so
# the user's own settings are never touched.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)  # absolute: fragments change folders
bin="$build/bin"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export WINPORT_REGISTRY_DIR="$scratch/registry"
mkdir -p "$WINPORT_REGISTRY_DIR"

section() { printf '\n=== %s\n' "$1"; }
# wait_port_file FILE PID: true once corvane-sim (PID) has written its port file
wait_port_file() {
    for _ in $(seq 100); do
        [ -s "$1" ] && return 0
        sleep 0.05
    done
    echo "corvane-sim did not start"
    kill "$2" 2>/dev/null || true
    return 1
}

shown=0
for part in examples/demo.d/*.sh; do
    [ -e "$part" ] || continue
    # shellcheck source=/dev/null
    source "$part"
    shown=1
done
[ $shown -eq 1 ] || echo "demo: nothing to show yet"
