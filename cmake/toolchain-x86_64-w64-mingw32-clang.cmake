# 64-bit Windows with clang and lld on the MinGW-w64 runtime.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(MINGW_COMPILER clang)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
