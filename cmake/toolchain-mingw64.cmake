# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)


# libpng and libjpeg-turbo, cross-built once by scripts/build-deps.sh into a cache outside the
# source tree; zlib lies in the compiler's own root (Debian's libz-mingw-w64-dev).
if(NOT VEXLOR_DEPS_DIR)
  if(DEFINED ENV{VEXLOR_DEPS_DIR})
    set(VEXLOR_DEPS_DIR $ENV{VEXLOR_DEPS_DIR})
  else()
    set(VEXLOR_DEPS_DIR $ENV{HOME}/.cache/vexlor/mingw-deps)
  endif()
endif()
set(VEXLOR_DEPS_DIR ${VEXLOR_DEPS_DIR} CACHE PATH "Cross-built picture libraries")
list(APPEND CMAKE_FIND_ROOT_PATH ${VEXLOR_DEPS_DIR})
