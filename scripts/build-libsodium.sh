#!/usr/bin/env bash
# Cross-builds libsodium (static, from Debian's source package) for one
# MinGW target into PREFIX. Does nothing when PREFIX already holds the library.
#   build-libsodium.sh TRIPLE PREFIX
#
# The program only verifies: Ed25519 signatures and SHA-256. libsodium's
# Windows code asks the system for nothing but RtlGenRandom
# (advapi32!SystemFunction036, there since Windows XP) for sodium_init's
# random stir, so no CNG (bcrypt.dll) is needed on any Windows the program
# runs on. _WIN32_WINNT is set to XP so that no newer interface is chosen.
set -euo pipefail
triple=$1
prefix=$2
[ -f "$prefix/lib/libsodium.a" ] && exit 0

top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/_deps"
mkdir -p "$deps"
src=$(ls -d "$deps"/libsodium-1*/ 2>/dev/null | head -n1 || true)
if [ -z "$src" ]; then
  ( cd "$deps" && apt-get source -q --download-only libsodium >/dev/null 2>&1 || apt-get source -q libsodium >/dev/null )
  ( cd "$deps" && ls -d libsodium-1*/ >/dev/null 2>&1 || dpkg-source -x libsodium_*.dsc >/dev/null 2>&1 )
  src=$(ls -d "$deps"/libsodium-1*/ | head -n1)
fi
# Debian's source carries no configure script; it is made once (autoreconf),
# under a lock so that two trees configured at once don't race.
(
  flock 9
  [ -x "$src/configure" ] || ( cd "$src" && autoreconf -fi >"$deps/libsodium-autoreconf.log" 2>&1 )
) 9>"$deps/libsodium.lock"
bld="$deps/libsodium-build-$triple"
rm -rf "$bld"
mkdir -p "$bld"
# Out-of-tree build, so that both targets can share one source folder.
( cd "$bld" && "$src/configure" --host="$triple" --prefix="$prefix" \
    --disable-shared --enable-static --disable-ssp --disable-pie --without-pthreads \
    CC="$triple-gcc-posix" \
    CFLAGS="-Os -D_WIN32_WINNT=0x0501 -ffunction-sections -fdata-sections" >"$bld.log" 2>&1 )
make -C "$bld" -j"${ZQ_JOBS:-2}" >>"$bld.log" 2>&1
make -C "$bld" install >>"$bld.log" 2>&1
echo "libsodium for $triple in $prefix"
