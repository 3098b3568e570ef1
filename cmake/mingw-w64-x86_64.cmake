# Cross-build for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(K_BERG_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER ${K_BERG_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${K_BERG_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${K_BERG_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained k-berg.exe: the C++ runtime and winpthread linked in, no DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
