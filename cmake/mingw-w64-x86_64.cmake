# Cross build for 64-bit Windows with Debian's MinGW-w64.
# The -posix compilers: the win32 thread model has no std::mutex / std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QOR_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${QOR_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${QOR_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${QOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: a missing libstdc++/libwinpthread DLL makes Wine end the process silently.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets ctest run the test programs through Wine where it is installed.
find_program(QOR_WINE wine)
if(QOR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QOR_WINE})
endif()
