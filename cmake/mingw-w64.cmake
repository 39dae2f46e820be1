# Cross build of the shipped program for 32-bit Windows (x86) with mingw-w64,
# posix thread model. 32-bit because the database-access component a site has
# is a 32-bit in-process COM server, which only a 32-bit process can load.
# Use: cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
