# Cross-building for 64-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DKH_TESTS=OFF -DKH_BENCH=OFF
# The posix flavour of the compiler, for std::thread and std::mutex. Programs are linked
# statically, so that they need no DLL of the compiler's beside them. Wine, where installed,
# runs the programs the build makes (ctest, CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KH_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KH_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KH_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KH_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KH_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(KH_WINE wine)
if(KH_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KH_WINE})
endif()
