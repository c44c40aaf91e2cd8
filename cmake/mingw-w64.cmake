# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix-threads variant: the other
# one has no std::thread). Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZARN_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZARN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZARN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARN_MINGW_TRIPLE}-windres)

# Libraries built for Windows (GoogleTest) are installed under a prefix given in
# CMAKE_PREFIX_PATH; the host's own libraries and headers must never be picked up.
set(CMAKE_FIND_ROOT_PATH /usr/${ZARN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry the compiler's runtime inside, so they run without its DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and discovery run the programs through Wine.
find_program(ZARN_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(ZARN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZARN_WINE})
endif()
