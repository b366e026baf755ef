# 32-bit Windows, the product, with clang and lld on the MinGW-w64 runtime.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(MINGW_COMPILER clang)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
