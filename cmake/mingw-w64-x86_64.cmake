# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, so std::thread and std::mutex work):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs are linked statically (no MinGW runtime DLLs to find at run
# time) and run under Wine on Linux; see `make windows`.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELVAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELVAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVAN_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZELVAN_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${ZELVAN_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "Ranlib")

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No runtime DLLs beside the programs: the C and C++ runtimes and winpthread
# are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Programs built here run under Wine, found by this emulator in tests.
find_program(ZELVAN_WINE wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZELVAN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVAN_WINE})
endif()

# The header-only libraries come from the build machine (see mingw-host-packages/).
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-host-packages CACHE PATH "")
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-host-packages CACHE PATH "")
