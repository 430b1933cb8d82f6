#!/usr/bin/env bash
# Builds the Debian packages of the build with CPack, unpacks them into a scratch root and checks
# what each holds: a runtime package per library, the dialog module on its own, one -dev and one
# tools package; the headless runtime package needs no GUI package.
# usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d /tmp/zr-deb-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" > "$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack"; }
cd "$scratch/out"
package() { ls "$1"_*.deb 2>/dev/null | head -1; }
for p in libzr-corvane-tal2 libzr-corvane-tal2-dialog liblmvntcam1 zr-corvane-lumivert-dev \
    zr-corvane-lumivert-tools; do
    [ -n "$(package "$p")" ] || fail "no package $p ($(ls))"
    mkdir -p "$scratch/root/$p"
    dpkg -x "$(package "$p")" "$scratch/root/$p"
done
holds() { # package, path pattern (a find -path pattern below the root)
    [ -n "$(cd "$scratch/root/$1" && find . -path "./$2" | head -1)" ] || fail "$1 lacks $2"
}
lacks() {
    [ -z "$(cd "$scratch/root/$1" && find . -path "./$2" | head -1)" ] || fail "$1 holds $2"
}
holds libzr-corvane-tal2 '*/lib*/libZR_Corvane_TAL.so.2'
holds libzr-corvane-tal2 '*/share/zr-corvane-tal/stages/zrstages2.dat'
lacks libzr-corvane-tal2 '*/libZR_Corvane_TAL_dialog.so'
lacks libzr-corvane-tal2 '*/lib*/libZR_Corvane_TAL.so'
holds libzr-corvane-tal2-dialog '*/lib*/libZR_Corvane_TAL_dialog.so'
holds liblmvntcam1 '*/lib*/liblmvntcam.so.1'
lacks liblmvntcam1 '*/include/*'
holds zr-corvane-lumivert-dev '*/include/ZR_Corvane_TAL.h'
holds zr-corvane-lumivert-dev '*/include/lmvntcam.h'
holds zr-corvane-lumivert-dev '*/lib*/libZR_Corvane_TAL.so'
holds zr-corvane-lumivert-dev '*/lib*/pkgconfig/zr-corvane-tal.pc'
holds zr-corvane-lumivert-dev '*/lib*/pkgconfig/lmvntcam.pc'
holds zr-corvane-lumivert-dev '*/lib*/cmake/ZRCorvaneTAL/ZRCorvaneTALConfig.cmake'
holds zr-corvane-lumivert-dev '*/lib*/cmake/Lmvntcam/LmvntcamTargets.cmake'
for tool in regtool stagetool corvane-sim lmvcam-grab lmvpci-install; do
    holds zr-corvane-lumivert-tools "*/bin/$tool"
    holds zr-corvane-lumivert-tools "*/share/man/man1/$tool.1*"
done
holds zr-corvane-lumivert-tools '*/lib*/liblmvpci.so'
holds zr-corvane-lumivert-tools '*/share/zr-corvane-tal/corvane-sim/corvane-sim-stages.conf'
# Nothing below the prefix is written at run time: the packages hold no folder for it.
for p in "$scratch"/root/*; do
    [ -z "$(find "$p" -path '*/var/*' -o -path '*/etc/*' | head -1)" ] || fail "$p writes state"
done
depends=$(dpkg-deb -f "$(package libzr-corvane-tal2)" Depends)
echo "$depends" | grep -qiE 'wx|gtk' && fail "the headless runtime package depends on $depends"
dpkg-deb -f "$(package libzr-corvane-tal2-dialog)" Depends | grep 'libzr-corvane-tal2 ' > /dev/null ||
    fail "the dialog package does not depend on the library"
tools_depends=$(dpkg-deb -f "$(package zr-corvane-lumivert-tools)" Depends)
for lib in libzr-corvane-tal2 liblmvntcam1; do
    echo "$tools_depends" | grep "$lib " > /dev/null || fail "the tools package does not depend on $lib"
done
echo "deb test passed"
