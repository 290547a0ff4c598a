# The shipped build: a 32-bit Windows program (mingw-w64 i686).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KS_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
