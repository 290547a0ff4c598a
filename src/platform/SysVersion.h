#pragma once
// File version resources (Version.dll): the VS_VERSIONINFO resource of a PE file.

#include "platform/SysTypes.h"

namespace ks::sys {

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

// 0 with ERROR_RESOURCE_TYPE_NOT_FOUND when the file has no version resource.
DWORD GetFileVersionInfoSize(const WCHAR* fileName, DWORD* handle);
BOOL GetFileVersionInfo(const WCHAR* fileName, DWORD handle, DWORD length, void* data);
// subBlock "\\" gives the VS_FIXEDFILEINFO, "\\VarFileInfo\\Translation" the
// language and code page pairs, "\\StringFileInfo\\040904b0\\Name" a string
// (length in characters, with the terminator).
BOOL VerQueryValue(const void* block, const WCHAR* subBlock, void** buffer, UINT* length);

}  // namespace ks::sys
