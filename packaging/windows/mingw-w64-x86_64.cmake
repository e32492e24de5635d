# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix): the
# posix thread model, whose libstdc++ has std::thread and friends, linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTORA_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${VANTORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTORA_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW-w64 sysroot and from VANTORA_WINDOWS_DEPS, the
# prefix that scripts/windows-deps.sh builds freeglut and libpng into; programs such as the
# compiler come from the build machine.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTORA_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${VANTORA_MINGW_TRIPLE} ${VANTORA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
