# Building for the browser with Debian's emscripten (package emscripten; clang 14, libc++ 13):
#   NODE_PATH=/usr/share/nodejs cmake -S . -B build/web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
#     -DKH_TESTS=OFF -DKH_BENCH=OFF
# A program built so runs under Node.js with `node --no-experimental-fetch prog.js` (this
# emscripten predates Node's fetch). Emscripten's own platform file, plus C++ exceptions, which emscripten leaves off unless asked
# (the game throws on a broken window or an overflowing score, and main catches it).
set(KH_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
include(${KH_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")
