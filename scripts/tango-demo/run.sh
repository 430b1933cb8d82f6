#!/usr/bin/env bash
# make tango-demo: a real Tango deployment on this machine. Installs tango-db (the Tango
# database on MariaDB), registers CorvaneServer/demo and LumivertServer/demo, starts the
# simulators and both servers, and runs a plain PyTango client that moves the stages and saves
# a picture. Needs root or sudo for the packages; not part of the tests.
set -euo pipefail
build=$(cd "${1:-build/release}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# Debian's interpreter: it has python3-tango and numpy, another python3 first on PATH may not
python=${ZRLMV_PYTHON:-/usr/bin/python3}

# ---- the Tango database -------------------------------------------------------------------------
if ! dpkg-query -W -f='${Status}' tango-db 2>/dev/null | grep -q "install ok installed"; then
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq mariadb-server
    "${sudo_cmd[@]}" service mariadb start || true
    echo "tango-db tango-db/dbconfig-install boolean true" | "${sudo_cmd[@]}" debconf-set-selections
    "${sudo_cmd[@]}" apt-get install -y -qq tango-db
fi
"${sudo_cmd[@]}" service mariadb start > /dev/null 2>&1 || true
export TANGO_HOST=${TANGO_HOST:-localhost:10000}
if ! "$python" -c "import tango; tango.Database()" > /dev/null 2>&1; then
    "${sudo_cmd[@]}" service tango-db start > /dev/null 2>&1 || \
        { /usr/lib/tango/DataBaseds 2 -ORBendPoint "giop:tcp::${TANGO_HOST##*:}" > /dev/null 2>&1 & }
    for _ in $(seq 100); do "$python" -c "import tango; tango.Database()" 2> /dev/null && break; sleep 0.2; done
fi

# ---- simulators, in a scratch settings folder ---------------------------------------------------
scratch=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done; rm -rf "$scratch"; }
trap cleanup EXIT
export WINPORT_REGISTRY_DIR="$scratch/registry" LMVSIM_LOCK_DIR="$scratch"
mkdir -p "$WINPORT_REGISTRY_DIR" "$scratch/stages"
cp "$build/stages/zrstages2.dat" "$scratch/stages/"
"$build/bin/regtool" set 'HKLM\Software\ZR\TALTranslator' Path sz "$scratch/stages"
"$build/bin/lmvpci-install" "$scratch/camera" > /dev/null
"$build/bin/corvane-sim" --com 7 --config "$source_dir/data/stages/corvane-sim-stages.conf" \
    --port-file "$scratch/corvane-sim.port" > /dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$scratch/corvane-sim.port" ] && break; sleep 0.1; done

# ---- register and start the servers -------------------------------------------------------------
export PYTHONPATH="$source_dir/python${PYTHONPATH:+:$PYTHONPATH}"
export ZRLMV_MOTION_LIBRARY="$build/lib/libZR_Corvane_TAL.so"
export ZRLMV_CAMERA_LIBRARY="$build/lib/liblmvntcam.so"
"$python" "$here/register.py" --port-file "$scratch/corvane-sim.port"
"$python" -c 'import sys; from zrlmv.tango.servers import corvane_server; corvane_server(sys.argv[1:])' demo &
pids+=($!)
"$python" -c 'import sys; from zrlmv.tango.servers import lumivert_server; lumivert_server(sys.argv[1:])' demo &
pids+=($!)
for device in demo/corvane/b demo/lumivert/0; do
    for _ in $(seq 150); do
        "$python" -c "import tango,sys; tango.DeviceProxy(sys.argv[1]).state()" "$device" 2> /dev/null && break
        sleep 0.2
    done
done

# ---- the client ---------------------------------------------------------------------------------
"$python" "$here/client.py" "${TANGO_DEMO_PICTURE:-$PWD/tango-demo.pgm}"
