# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# compilers, g++-mingw-w64-x86-64-posix: std::thread and std::mutex need
# them). The C and C++ run-times and winpthread are linked in, so the .exe
# needs nothing but the DLLs every Windows has (kernel32, msvcrt).
#
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
#
# scripts/windows.sh does this. The tests run under Wine (Debian's wine64):
# CTest starts each .exe through CMAKE_CROSSCOMPILING_EMULATOR, cmake/wine.sh,
# in Wine prefixes of the build folder's own (TILDORA_WINEPREFIX-UID).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TILDORA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TILDORA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TILDORA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TILDORA_MINGW}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TILDORA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian keeps wine64 out of the PATH (the wine wrapper wants the 32-bit
# half as well, which is not needed here). cmake/wine.sh sets Wine up.
find_program(TILDORA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
if(TILDORA_WINE64)
    if(NOT DEFINED TILDORA_WINEPREFIX)
        set(TILDORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
    endif()
    set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_CURRENT_LIST_DIR}/wine.sh ${TILDORA_WINEPREFIX}
                                      ${TILDORA_WINE64})
endif()
