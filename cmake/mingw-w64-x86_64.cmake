# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64, win32
# threads). The runtime is linked in statically, so the program needs no DLL
# beyond those of the system: KERNEL32, msvcrt and NETAPI32.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WIRENOTE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${WIRENOTE_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${WIRENOTE_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${WIRENOTE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WIRENOTE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
