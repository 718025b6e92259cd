# Cross-compiles the Windows program on Linux with Debian's MinGW-w64 (the "posix"
# thread model, so std::thread and std::mutex work) for 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIRRAMO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KIRRAMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIRRAMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KIRRAMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIRRAMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under Wine when CTest starts them.
find_program(KIRRAMO_WINE NAMES wine)
if(KIRRAMO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KIRRAMO_WINE})
endif()
