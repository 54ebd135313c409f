#!/bin/sh
# Builds the three targets and runs every test: Linux unit tests (AddressSanitizer + UBSan),
# the product DLL's artifact check, and the Windows build's tests under wine64 with Xvfb.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh

echo "== linux: build and unit tests"
cmake --preset linux >/dev/null
cmake --build --preset linux
ctest --preset linux

echo "== win32: the product DLL and its artifact check"
cmake --preset win32 >/dev/null
cmake --build --preset win32
/usr/bin/python3 tools/check-dll.py "build/win32/Quessa宠物系统2.0.cqp.dll"

echo "== win64: the same sources under wine64"
cmake --preset win64 >/dev/null
cmake --build --preset win64
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win64

echo "== fuzz: every libFuzzer target for a bounded time, and the GBK literal check"
tools/fuzz.sh "${CQP_FUZZ_SECONDS:-25}"

echo "== memory: 100,000 calls of every offline export, optimised, under AddressSanitizer (LeakSanitizer at exit)"
cmake -S . -B build/memcheck -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS=-fsanitize=address -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address >/dev/null
cmake --build build/memcheck -j2 --target hardening_long_run_test
CQP_LONG_RUN_CALLS=100000 build/memcheck/tests/hardening/hardening_long_run_test
