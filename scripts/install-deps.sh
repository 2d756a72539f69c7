#!/usr/bin/env bash
# Installs the Debian packages the builds, the tests and the demo need.
# Safe to run again: it only installs what is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64
  wine64 xvfb x11-utils xauth gcab libgcab-dev cabextract icoutils imagemagick
  nginx-light squid libjpeg62-turbo-dev libsodium-dev autoconf automake libtool
  nasm dpkg-dev file python3 pkg-config
  libglib2.0-dev xdotool fonts-wine fonts-liberation
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

# The libjpeg-turbo and libsodium source packages are cross-built for both MinGW targets.
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
  if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1 && grep -qs 'Suites:.*bookworm' /etc/apt/sources.list.d/*.sources; then
    f=$(grep -ls 'Suites:.*bookworm' /etc/apt/sources.list.d/*.sources | head -n1)
    uri=$(awk '/^URIs:/{print $2; exit}' "$f")
    key=$(awk '/^Signed-By:/{print $2; exit}' "$f")
    { printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\n' "$uri"
      [ -z "$key" ] || printf 'Signed-By: %s\n' "$key"; } | $SUDO tee /etc/apt/sources.list.d/setupzq-src.sources >/dev/null
  else
    src_line=$(grep -rhs '^deb .*bookworm main' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | head -n1 || true)
    [ -z "$src_line" ] || echo "${src_line/deb /deb-src }" | $SUDO tee /etc/apt/sources.list.d/setupzq-src.list >/dev/null
  fi
  missing+=(__update__)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  pk=()
  for p in "${missing[@]}"; do [ "$p" = __update__ ] || pk+=("$p"); done
  [ ${#pk[@]} -eq 0 ] || $SUDO apt-get install -y -q --no-install-recommends "${pk[@]}"
fi

# The posix thread model is the one whose libstdc++ has std::thread.
for t in i686 x86_64; do
  for tool in gcc g++; do
    alt=$(update-alternatives --list $t-w64-mingw32-$tool 2>/dev/null | grep posix | head -n1 || true)
    [ -z "$alt" ] || $SUDO update-alternatives --set $t-w64-mingw32-$tool "$alt" >/dev/null 2>&1 || true
  done
done
echo "install-deps: done"
