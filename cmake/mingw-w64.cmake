# Cross build for 64-bit Windows with the Debian mingw-w64 compilers (the posix thread model, which
# std::thread needs). Usage: cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PARVEX_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${PARVEX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PARVEX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PARVEX_MINGW_TRIPLE}-windres)

# Libraries and packages come from the target tree only, never from the host; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${PARVEX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe with the C and C++ runtimes and winpthreads inside, so it runs on a plain Windows 10.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
