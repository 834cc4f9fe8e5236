# Cross-builds Sorvane's Qt-free part (converter, generator, sorvane-cli and
# their tests) for 64-bit Windows with Debian's MinGW-w64 compilers
# (g++-mingw-w64-x86-64-posix):
#
#   cmake -S . -B build-win -G Ninja -DSORVANE_BUILD_GUI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix thread model, as GoogleTest needs std::mutex, which the win32
# model's C++ library lacks. Every program is linked statically (libgcc, libstdc++,
# winpthread), so a .exe needs only the DLLs that come with Windows itself.
# Where Wine is installed, CTest runs the .exe files under it (see
# wineRun.sh), each build with a Wine prefix of its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVANE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# zlib (libz-mingw-w64-dev) comes with an import library for its DLL too.
set(ZLIB_USE_STATIC_LIBS ON)

find_program(SORVANE_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(SORVANE_WINE)
  set(SORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wineRun.sh ${SORVANE_WINE} ${SORVANE_WINE_PREFIX})
endif()
