# Cross build of qelo.exe for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QELO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QELO_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${QELO_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${QELO_MINGW_PREFIX}-windres)

# Headers and libraries come from the cross sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QELO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, libgcc and winpthread are linked in, so the executable
# imports nothing but system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
