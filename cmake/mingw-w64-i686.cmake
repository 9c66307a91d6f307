# Cross build for 32-bit Windows with Debian's mingw-w64 (i686, posix threads):
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-i686.cmake
# Hamlog's record library on Windows is a 32-bit DLL, so the programs that load it are 32-bit too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ZENTU_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENTU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTU_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENTU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs, the DLLs and the tests run under Wine or on a user's Windows without the compiler's DLLs beside
# them: the C and C++ runtimes and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests and programs built here are run with Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
