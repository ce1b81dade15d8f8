# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-thread
# compilers, which std::thread and std::mutex need); wine runs the programs for
# the tests. Qt for Windows is built with this file too, so how Vellum's own
# programs link the compiler's runtime is decided in CMakeLists.txt, not here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLUM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLUM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLUM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLUM_MINGW_PREFIX}-windres)
set(CMAKE_AR ${VELLUM_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VELLUM_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(VELLUM_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLUM_WINE})
