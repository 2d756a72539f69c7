#!/usr/bin/env bash
# Cross-builds libjpeg-turbo (static, from Debian's source package) for one
# MinGW target into PREFIX. Does nothing when PREFIX already holds the library.
#   build-libjpeg.sh TRIPLE PREFIX
set -euo pipefail
triple=$1
prefix=$2
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/_deps"
mkdir -p "$deps"
src=$(ls -d "$deps"/libjpeg-turbo-*/ 2>/dev/null | head -n1 || true)
if [ -z "$src" ]; then
  ( cd "$deps" && apt-get source -q --download-only libjpeg-turbo >/dev/null 2>&1 || apt-get source -q libjpeg-turbo >/dev/null )
  ( cd "$deps" && [ -d libjpeg-turbo-*/ ] || dpkg-source -x libjpeg-turbo_*.dsc >/dev/null 2>&1 )
  src=$(ls -d "$deps"/libjpeg-turbo-*/ | head -n1)
fi
case $triple in
  i686-*) proc=x86 ;;
  *) proc=AMD64 ;;
esac
bld="$deps/libjpeg-build-$triple"
rm -rf "$bld"
cmake -S "$src" -B "$bld" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$triple.cmake" \
  -DCMAKE_SYSTEM_PROCESSOR=$proc \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
  -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev >"$bld.log" 2>&1
cmake --build "$bld" --target jpeg-static >/dev/null
cmake --install "$bld" >/dev/null 2>&1 || true
# The install step also wants the tools; copy what the program links against.
mkdir -p "$prefix/lib" "$prefix/include"
cp "$bld/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$bld/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/"
echo "libjpeg-turbo for $triple in $prefix"
