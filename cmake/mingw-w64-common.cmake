# What the Windows cross builds share (mingw-w64-i686.cmake and mingw-w64-x86_64.cmake set the target first).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZENTU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTU_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENTU_MINGW_PREFIX})
# Qt for Windows (scripts/build-qt-windows.sh builds it): its folder, and Debian's own Qt of the same version for
# the tools that run during the build (moc, uic, rcc).
set(ZENTU_QT_PREFIX "" CACHE PATH "Qt for Windows, as scripts/build-qt-windows.sh installs it")
if(ZENTU_QT_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${ZENTU_QT_PREFIX})
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs, the DLLs and the tests run under Wine or on a user's Windows without the compiler's DLLs beside
# them: the C and C++ runtimes and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests and programs built here are run with Wine (wine64 for the 64-bit build).
if(ZENTU_MINGW_PREFIX MATCHES "^x86_64")
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
    set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
