# Shared part of the mingw-w64 toolchain files; VENNOX_TRIPLE names the target.
set(CMAKE_C_COMPILER ${VENNOX_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VENNOX_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VENNOX_TRIPLE}-windres)
set(VENNOX_WIDL ${VENNOX_TRIPLE}-widl CACHE STRING "IDL compiler")

set(CMAKE_FIND_ROOT_PATH /usr/${VENNOX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No runtime DLL beside the module: C, C++ and thread runtimes linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test executables run through Wine in the build tree's private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine.sh;run)
