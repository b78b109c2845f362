# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the -posix compilers, whose
# libstdc++ has std::thread), linked statically so the .exe needs no runtime DLLs.
# Programs built here run under Wine through wine-run.sh, with a prefix of the build tree's
# own, so ctest runs the tests as on the build machine.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUMIROKA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMIROKA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMIROKA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMIROKA_MINGW_TRIPLE}-windres)
set(CMAKE_STRIP ${LUMIROKA_MINGW_TRIPLE}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMIROKA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread inside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
