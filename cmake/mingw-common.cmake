# Cross-compiling with mingw-w64's posix-thread compilers; Windows test programs run
# under Wine through ctest's emulator.
set(CMAKE_C_COMPILER ${TORVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVANE_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TORVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
