#pragma once
// Calling convention of system exports found with GetProcAddress: the
// functions of the Windows API are __stdcall on 32-bit Windows. Function
// pointer types for such exports are declared with KS_SYSAPI.

#if defined(_WIN32) && !defined(_WIN64)
#define KS_SYSAPI __stdcall
#else
#define KS_SYSAPI
#endif
