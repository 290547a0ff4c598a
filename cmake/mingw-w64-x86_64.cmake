# The same code as a 64-bit Windows program: the build whose tests run under
# Wine on hosts that cannot execute 32-bit code (see README, "Windows build").
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(KS_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
