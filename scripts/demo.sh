#!/usr/bin/env bash
# Builds the plug-in (x64 and x86) and shows it at work: the stand-in Winamp
# loads the x64 pair from a Plugins folder, plays a small generated playlist
# under Wine, gets a real Windows key + V press, and the demo prints what
# became of the files and which commands the player received. It runs on
# machines that cannot run 32-bit programs too: only the x64 pair runs.
set -u -o pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
vandrel_x86_mode || exit 1
vandrel_install_packages || exit 1
mkdir -p build

build_windows() {  # arch, targets...
  local arch=$1 tests=OFF
  shift
  [ "$arch" = x64 ] && tests=ON  # the stand-in and the demo program
  cmake -S . -B "build/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DVANDREL_TESTS=$tests >"build/$arch-configure.log" 2>&1 || { cat "build/$arch-configure.log"; return 1; }
  cmake --build "build/$arch" -j2 --target "$@"
}

echo "== building"
build_windows x64 vandrel gen_vandrel shipped_dlls winamp_standin demo || exit 1
build_windows x86 vandrel gen_vandrel release || exit 1
echo "the DLLs to install are in dist/x86 (32-bit Winamp) and dist/x64"

echo "== running the demo under Wine (first start of the Wine prefix takes a while)"
VANDREL_WINE_ROOT=build/wine scripts/with-wine.sh scripts/wine-run.sh build/x64/bin/demo.exe
