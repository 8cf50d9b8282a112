# Cross-builds the native Windows program with Debian's mingw-w64 (x86-64, POSIX threads).
# Everything is linked statically, so that tavrin.exe needs no DLL beyond the system's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVRIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRIN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVRIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A release program carries no symbols: a quarter of the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Test programs run under Wine when ctest starts them.
find_program(TAVRIN_WINE NAMES wine wine64)
if(TAVRIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVRIN_WINE})
endif()
