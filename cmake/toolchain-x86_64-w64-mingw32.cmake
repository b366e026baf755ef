# 64-bit Windows with MinGW-w64's GCC: the same sources, the build that runs
# under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(MINGW_COMPILER gcc)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
