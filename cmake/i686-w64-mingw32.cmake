# Cross-compiles linkctl for 32-bit Windows with mingw-w64's GCC.
# The posix variant: its libstdc++ has the threads the win32 variant lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LINKCTL_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${LINKCTL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINKCTL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LINKCTL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LINKCTL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file to copy: libgcc, libstdc++ and winpthread linked in, so that a
# program or component needs nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
