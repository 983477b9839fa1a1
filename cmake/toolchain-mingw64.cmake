# Cross-builds the Windows programs on Debian with mingw-w64 (package
# g++-mingw-w64-x86-64-posix): 64-bit Windows, GCC's POSIX thread model, which
# std::thread and std::mutex need. The `windows` preset names this file.
#
# Only the mingw-w64 tree is searched for headers, libraries and packages:
# Debian's own CMake packages (CLI11, nlohmann-json, GTest) point at
# /usr/include and would pull glibc's headers into the build;
# cmake/windows.cmake provides those three for the cross build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DELAYSUB_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DELAYSUB_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DELAYSUB_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DELAYSUB_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DELAYSUB_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
