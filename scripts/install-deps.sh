#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; does nothing when all are present.
set -euo pipefail

packages=(
    cmake g++ make pkg-config binutils
    libgtest-dev libgmock-dev libbenchmark-dev
    liblog4cpp5-dev libwxgtk3.2-dev libboost-regex-dev libpng-dev
    xvfb xauth
    # fuzzing: make fuzz (libFuzzer)
    clang-14 libclang-rt-14-dev
    # installing and packaging: make deb and its test (dpkg-shlibdeps, file)
    dpkg-dev file
    # Python package zrlmv and its tests: venv, numpy, pytest, setuptools as build backend
    python3-venv python3-numpy python3-pytest python3-setuptools
    # Tango device servers (python/zrlmv/tango) and their tests; tango-db only in make tango-demo
    python3-tango
    # colour benchmark baseline (bench/image; the libraries never link it)
    libopencv-dev
    # LUT dialogs: the dialog module liblmvlutdlg.so and its tests (the library links no X library)
    libx11-dev
    # corvane-tal: line editing and history on a terminal
    libedit-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
