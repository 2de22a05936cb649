# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads). VERDANE_WINDOWS_PREFIX names the folder
# of the libraries built for Windows (Qt, QScintilla, SQLite, libpq), made by scripts/windows-toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-gcc-ar-posix)
set(CMAKE_RANLIB x86_64-w64-mingw32-gcc-ranlib-posix)
if(NOT VERDANE_WINDOWS_PREFIX AND DEFINED ENV{VERDANE_WINDOWS_PREFIX})
    set(VERDANE_WINDOWS_PREFIX $ENV{VERDANE_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VERDANE_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Host steps that run a program just built run it under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
# One file per program: the C and C++ runtimes and winpthreads linked in, no DLL of MinGW's beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
