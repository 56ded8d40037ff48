# Cross-builds the core, the command line and the tests for 64-bit Windows
# with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Qt is not cross-built here, so such a build leaves out the window.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C++ runtime and winpthread linked in, so an .exe needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(VELORIN_WINDOW OFF CACHE BOOL "Build the Qt window under app/ and its tests")
# GoogleTest from Debian's source package, built for this target.
set(VELORIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build with the tests")
# Google Benchmark has no Windows build here.
set(VELORIN_BENCH OFF CACHE BOOL "Build the benchmarks under bench/")
