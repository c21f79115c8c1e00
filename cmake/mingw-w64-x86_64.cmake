# Cross-compiles logtrim.exe for 64-bit Windows with MinGW-w64 from Debian's
# packages (g++-mingw-w64-x86-64-posix), and runs what the build and the
# tests start (the test programs, test discovery) through wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
# The posix flavour of the compiler has std::thread, which the tests use.
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# Headers and libraries come from the cross tree only, never from the
# build machine's own /usr/include or /usr/lib; programs from the build
# machine.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically: the executables need only the DLLs of Windows itself,
# not the compiler's runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# A wine prefix of the build's own, made at its first use, so that no
# setting left in the user's prefix changes what the tests see; wine's own
# diagnostics are off, so that they do not mix with what is tested.
find_program(WINE_PROGRAM wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
  env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix ${WINE_PROGRAM})
