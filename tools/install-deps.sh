#!/bin/sh
# Installs the Debian packages the build and the tests need, when run as root and something is
# missing. Also generates the Chinese locales Wine uses for code page 936.
set -e
packages="cmake g++ make pkg-config python3 python3-pefile
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 xvfb xauth
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcurl4-openssl-dev
  faketime opencc libopencc-data clang libclang-rt-14-dev
  libboost-dev nlohmann-json3-dev libssl-dev
  fonts-wqy-microhei fonts-wine imagemagick x11-apps locales util-linux g++-multilib qemu-user"
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done
if [ -n "$missing" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "missing Debian packages:$missing (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends $missing
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.gbk$'; then
  if [ "$(id -u)" = 0 ]; then
    sed -i 's/^# *zh_CN.GBK GBK/zh_CN.GBK GBK/; s/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.GBK GBK' /etc/locale.gen || echo 'zh_CN.GBK GBK' >> /etc/locale.gen
    locale-gen >/dev/null
  else
    echo "the zh_CN.GBK locale is missing (run as root to generate it)" >&2
    exit 1
  fi
fi
