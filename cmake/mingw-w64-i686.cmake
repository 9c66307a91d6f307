# Cross build for 32-bit Windows with Debian's mingw-w64 (i686, posix threads): the build a Hamlog user runs.
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-i686.cmake [-DZENTU_QT_PREFIX=<Qt for Windows>]
# Hamlog's record library on Windows is a 32-bit DLL, so the programs that load it are 32-bit too.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZENTU_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
