# Cross-compiles for 64-bit Windows with mingw-w64; CTest runs the results under wine64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Debian installs the 64-bit Wine loader outside PATH; tools/wine-run sets up the prefix and locale.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../tools/wine-run)
