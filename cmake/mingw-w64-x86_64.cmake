# Cross-compiling for 64-bit Windows with the posix-threads flavour of mingw-w64's g++.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TENMARU_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TENMARU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TENMARU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TENMARU_MINGW_PREFIX}-windres)

# Libraries and headers come from the mingw-w64 sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TENMARU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: the C++ runtime and winpthread linked in, so that it needs no
# DLL beyond those of Windows itself.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
