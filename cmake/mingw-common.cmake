# Shared by the toolchain files: TOOLCHAIN_PREFIX names the MinGW-w64 target
# (i686-w64-mingw32 or x86_64-w64-mingw32) and MINGW_COMPILER the compiler,
# gcc (MinGW-w64's GCC) or clang (Debian's clang and lld on the MinGW-w64
# runtime and GCC's C++ library).
set(CMAKE_SYSTEM_NAME Windows)

if(MINGW_COMPILER STREQUAL "clang")
  set(CMAKE_C_COMPILER   clang)
  set(CMAKE_CXX_COMPILER clang++)
  set(CMAKE_C_COMPILER_TARGET   ${TOOLCHAIN_PREFIX})
  set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
  # Clang finds the MinGW-w64 headers and runtime, but not the C++ library
  # of a GCC whose folder is named "<version>-posix": the newest installed.
  file(GLOB gcc_folders LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
  list(SORT gcc_folders COMPARE NATURAL ORDER DESCENDING)
  list(GET gcc_folders 0 gcc_folder)
  if(NOT EXISTS "${gcc_folder}/include/c++")
    message(FATAL_ERROR "No C++ library of a MinGW-w64 GCC for ${TOOLCHAIN_PREFIX} in /usr/lib/gcc "
                        "(Debian's g++-mingw-w64-*-posix package)")
  endif()
  set(CMAKE_CXX_FLAGS_INIT "-isystem ${gcc_folder}/include/c++ -isystem ${gcc_folder}/include/c++/${TOOLCHAIN_PREFIX}")
  # That library needs the POSIX threads of winpthread, and its exceptions
  # on 32 bits the unwind tables that GCC's crtbegin.o registers.
  set(linker "-fuse-ld=lld -B${gcc_folder} -L${gcc_folder} -lpthread")
else()
  set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc)
  set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
  set(linker "")
endif()
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# windres writes no dependency file of its own, so its preprocessor writes
# one: without it, a changed resource.h would leave the resources old.
set(CMAKE_DEPFILE_FLAGS_RC "--preprocessor-arg=-MD --preprocessor-arg=-MT --preprocessor-arg=<DEP_TARGET> --preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE>")
set(CMAKE_OBJDUMP     ${TOOLCHAIN_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No DLL beyond Windows' own: libgcc, libstdc++ and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "${linker} -static -static-libgcc -static-libstdc++")

# Windows test programs run under Wine, the 32-bit ones by the route that
# tools/wine/wine32.sh finds.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
