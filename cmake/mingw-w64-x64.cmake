# Cross build for 64-bit Windows (x64) with mingw-w64, posix thread model: the
# second build, for a site whose database-access component is 64-bit or
# out-of-process.
# Use: cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
