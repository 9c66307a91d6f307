# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64, posix threads). Not for users (Hamlog's record
# library is 32-bit): it runs the tests under Wine on machines that cannot run 32-bit programs.
#   cmake -S . -B build-windows64 -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake [-DZENTU_QT_PREFIX=...]
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZENTU_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
