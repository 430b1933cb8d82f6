#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a user would: the file list, sonames
# and run paths; installed tools without LD_LIBRARY_PATH; the C examples built with pkg-config
# and with a CMake project using find_package, run against corvane-sim and the simulated board.
# usage: install_test.sh BUILD_DIR SOURCE_DIR [EXTRA_CFLAGS]
set -euo pipefail
build=$1 source=$2 extra_cflags=${3:-}
scratch=$(mktemp -d /tmp/zr-install-XXXXXX)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$scratch/prefix
unset LD_LIBRARY_PATH
export ASAN_OPTIONS=detect_leaks=0 WINPORT_REGISTRY_DIR=$scratch/registry LMVSIM_LOCK_DIR=$scratch

cmake --install "$build" --prefix "$prefix" > "$scratch/install.log"
libdir=$(cd "$prefix" && ls -d lib*/pkgconfig | head -1 | xargs dirname)

# ---- what is installed --------------------------------------------------------------------
for f in "$libdir"/libZR_Corvane_TAL.so.2 "$libdir"/libZR_Corvane_TAL.so "$libdir"/liblmvntcam.so.1 \
    "$libdir"/liblmvntcam.so "$libdir"/libZR_Corvane_TAL_dialog.so "$libdir"/liblmvpci.so \
    include/ZR_Corvane_TAL.h include/lmvntcam.h \
    "$libdir"/pkgconfig/zr-corvane-tal.pc "$libdir"/pkgconfig/lmvntcam.pc \
    "$libdir"/cmake/ZRCorvaneTAL/ZRCorvaneTALConfig.cmake "$libdir"/cmake/Lmvntcam/LmvntcamConfig.cmake \
    bin/regtool bin/stagetool bin/corvane-sim bin/lmvcam-grab bin/lmvpci-install \
    share/man/man1/stagetool.1 share/man/man1/lmvcam-grab.1 share/man/man1/corvane-sim.1 \
    share/man/man1/lmvpci-install.1 share/man/man1/regtool.1 \
    share/zr-corvane-tal/stages/zrstages2.dat share/zr-corvane-tal/corvane-sim/corvane-sim-stages.conf; do
    [ -e "$prefix/$f" ] || fail "$f not installed"
done
soname() { readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'; }
[ "$(soname "$prefix/$libdir/libZR_Corvane_TAL.so")" = libZR_Corvane_TAL.so.2 ] || fail "motion soname"
[ "$(soname "$prefix/$libdir/liblmvntcam.so")" = liblmvntcam.so.1 ] || fail "camera soname"
[ "$(readlink "$prefix/$libdir/libZR_Corvane_TAL.so.2")" = libZR_Corvane_TAL.so.2.2.0.38 ] ||
    fail "motion library version"
readelf -d "$prefix/bin/lmvcam-grab" | grep "RUNPATH.*\[\$ORIGIN/../$libdir\]" > /dev/null || fail "tool RUNPATH"
man -l "$prefix/share/man/man1/stagetool.1" 2>/dev/null | grep "stagetool" > /dev/null ||
    grep -q '^\.SH SYNOPSIS' "$prefix/share/man/man1/stagetool.1" || fail "stagetool.1"

# ---- installed tools run as they are -------------------------------------------------------
cd "$scratch"
"$prefix/bin/stagetool" --version | grep '^stagetool ' > /dev/null || fail "stagetool --version"
"$prefix/bin/stagetool" list "$prefix/share/zr-corvane-tal/stages/zrstages2.dat" | grep LT-50-DC > /dev/null ||
    fail "stagetool list of the installed database"

# ---- a user's C programs: pkg-config ------------------------------------------------------
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
mkdir -p "$scratch/pc" && cd "$scratch/pc"
# shellcheck disable=SC2046,SC2086
cc $extra_cflags -o move_axis "$source/examples/c/move_axis.c" $(pkg-config --cflags --libs zr-corvane-tal)
# shellcheck disable=SC2046,SC2086
cc $extra_cflags -o grab_picture "$source/examples/c/grab_picture.c" $(pkg-config --cflags --libs lmvntcam)

# ---- and a CMake project using find_package ------------------------------------------------
cmake -S "$source/examples/c" -B "$scratch/cm" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="$extra_cflags" -DCMAKE_EXE_LINKER_FLAGS="$extra_cflags" > "$scratch/cmake.log" ||
    { cat "$scratch/cmake.log"; fail "examples/c does not configure"; }
cmake --build "$scratch/cm" > "$scratch/build.log" || { cat "$scratch/build.log"; fail "examples/c"; }

# ---- both run without LD_LIBRARY_PATH: the motion example against corvane-sim -------------
"$prefix/bin/corvane-sim" --config "$prefix/share/zr-corvane-tal/corvane-sim/corvane-sim-stages.conf" \
    --boards 0 --com 1 --port-file "$scratch/sim.port" > /dev/null &
sim_pid=$!
for _ in $(seq 600); do [ -s "$scratch/sim.port" ] && break; sleep 0.1; done
[ -s "$scratch/sim.port" ] || fail "corvane-sim wrote no port file"
port_line=$(cat "$scratch/sim.port")
for program in "$scratch/pc/move_axis" "$scratch/cm/move_axis"; do
    out=$(cd "$scratch" && env "$port_line" timeout 120 "$program") || fail "$program: $out"
    [ "$out" = "axis A at 5.000 mm" ] || fail "$program printed: $out"
done

# ---- the camera example after lmvpci-install, started in another folder -------------------
"$prefix/bin/lmvpci-install" "$scratch/bits" > /dev/null
for program in "$scratch/pc/grab_picture" "$scratch/cm/grab_picture"; do
    mkdir -p "$scratch/elsewhere" && cd "$scratch/elsewhere" && rm -f picture.pgm
    out=$(timeout 120 "$program" 2>&1) || fail "$program: $out"
    [ "$out" = "picture.pgm: 640 x 480" ] || fail "$program printed: $out"
    head -c 2 picture.pgm | grep P5 > /dev/null || fail "$program wrote no picture"
done
echo "install test passed"
