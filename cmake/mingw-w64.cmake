# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads flavour); the
# built programs run here under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ANAGRAMS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ANAGRAMS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ANAGRAMS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ANAGRAMS_MINGW_TRIPLE}-windres)

# Only the cross environment's headers and libraries; programs come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ANAGRAMS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime (libgcc, libstdc++, winpthread): the .exe files need no DLL of the
# compiler's, only the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test discovery and ctest run the Windows programs through Wine's loader.
set(ANAGRAMS_WINE_LOADER /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader that runs the Windows programs")
set(CMAKE_CROSSCOMPILING_EMULATOR ${ANAGRAMS_WINE_LOADER})
