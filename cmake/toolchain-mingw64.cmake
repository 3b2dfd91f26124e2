# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads
# variant). The programs are linked statically so that they need no DLL
# beyond the system's; test programs run through wine.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# scripts/test-windows.sh does all of it, wine's start-up included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DS_MINGW_TRIPLE}-windres)

# Libraries, headers and packages come from the mingw tree only, never from
# the host; programs (code generators, wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLLs beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Keep the whole link line static: a library found by file name (such as
# FindODBC's libodbc32.a) must not switch the linker back to DLLs for the
# libraries that follow (libstdc++, winpthread).
set(CMAKE_LINK_SEARCH_START_STATIC ON)
set(CMAKE_LINK_SEARCH_END_STATIC ON)

# Test programs (and GoogleTest's test discovery) run under wine, quietly
# and in a prefix of the build directory's own, so that nothing depends on
# the user's home. The prefix's first start takes a few seconds; start the
# wine server beforehand with its standard streams redirected (see
# scripts/test-windows.sh), or the first test can hang on an inherited pipe.
# CTest takes the emulator as one program, so a small runner in the build
# directory sets wine's environment (written here, never committed).
find_program(DS_WINE_PROGRAM wine)
get_property(DS_IN_TRY_COMPILE GLOBAL PROPERTY IN_TRY_COMPILE)
if(DS_WINE_PROGRAM AND NOT DS_IN_TRY_COMPILE)
  set(DS_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "wine prefix of this build")
  set(DS_WINE_RUNNER "${CMAKE_BINARY_DIR}/wine-run")
  file(WRITE "${DS_WINE_RUNNER}"
       "#!/bin/sh\n"
       "# Runs a Windows program of this build under wine.\n"
       "export WINEDEBUG=\"\${WINEDEBUG:--all}\"\n"
       "export WINEPREFIX=\"${DS_WINE_PREFIX}\"\n"
       "export WINEDLLOVERRIDES=\"\${WINEDLLOVERRIDES:-mscoree=;mshtml=}\"\n"
       "exec \"${DS_WINE_PROGRAM}\" \"$@\"\n")
  file(CHMOD "${DS_WINE_RUNNER}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DS_WINE_RUNNER}")
endif()

# GoogleTest's test lists are read when CTest runs, not at build time, so a
# build needs no wine at all.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
