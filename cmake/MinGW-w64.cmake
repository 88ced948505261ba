# Cross-building for 64-bit Windows from Debian with MinGW-w64 (posix threads):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake ...
# scripts/windows.sh builds Qt for Windows with it and then Fraymark.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FRAYMARK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FRAYMARK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FRAYMARK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FRAYMARK_MINGW_TRIPLE}-windres)
# The Windows headers and libraries; programs (moc and the other Qt tools) are the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${FRAYMARK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
