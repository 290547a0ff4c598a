# Cross-compiles for Windows with mingw-w64 (posix thread model), for the
# target named by KS_MINGW_TRIPLE (set by mingw-w64-i686.cmake or
# mingw-w64-x86_64.cmake). The GCC runtime, libstdc++ and winpthread are linked
# in, so a program needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KS_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Unicode throughout. Our programs link with -municode (entry wmain/wWinMain,
# added per target in KsTargets.cmake); CMake's own probe programs use main.
set(CMAKE_CXX_FLAGS_INIT "-DUNICODE -D_UNICODE")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# ctest runs the test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test)
