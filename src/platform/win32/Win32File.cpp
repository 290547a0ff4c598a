// File system and INI profile calls, forwarded to the W functions.

#include "platform/SysFile.h"

#include "platform/win32/Win32Native.h"

#undef CreateFile
#undef CopyFile
#undef MoveFile
#undef MoveFileEx
#undef DeleteFile
#undef CreateDirectory
#undef RemoveDirectory
#undef GetFileAttributes
#undef GetFileAttributesEx
#undef SetFileAttributes
#undef FindFirstFile
#undef FindNextFile
#undef GetDiskFreeSpaceEx
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetTempPath
#undef GetFullPathName
#undef GetPrivateProfileString
#undef GetPrivateProfileInt
#undef WritePrivateProfileString

namespace ks::sys {

using win32::As;
using win32::DwordOut;
using win32::Wide;

HANDLE CreateFile(const WCHAR* fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  return ::CreateFileW(Wide(fileName), desiredAccess, shareMode, As<::SECURITY_ATTRIBUTES>(security),
                       creationDisposition, flagsAndAttributes, templateFile);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped) {
  DwordOut read(bytesRead);
  return ::ReadFile(file, buffer, bytesToRead, read.get(), static_cast<::OVERLAPPED*>(overlapped));
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped) {
  DwordOut written(bytesWritten);
  return ::WriteFile(file, buffer, bytesToWrite, written.get(), static_cast<::OVERLAPPED*>(overlapped));
}

BOOL FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }
BOOL SetEndOfFile(HANDLE file) { return ::SetEndOfFile(file); }

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  ::LONG high = distanceHigh ? *distanceHigh : 0;
  const ::DWORD result = ::SetFilePointer(file, distance, distanceHigh ? &high : nullptr, moveMethod);
  if (distanceHigh) *distanceHigh = high;
  return result;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod) {
  ::LARGE_INTEGER native;
  native.QuadPart = distance.QuadPart;
  ::LARGE_INTEGER position;
  const BOOL ok = ::SetFilePointerEx(file, native, &position, moveMethod);
  if (ok && newPosition) newPosition->QuadPart = position.QuadPart;
  return ok;
}

DWORD GetFileSize(HANDLE file, DWORD* fileSizeHigh) {
  DwordOut high(fileSizeHigh);
  return ::GetFileSize(file, high.get());
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  ::LARGE_INTEGER native;
  const BOOL ok = ::GetFileSizeEx(file, &native);
  if (ok && size) size->QuadPart = native.QuadPart;
  return ok;
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
  return ::GetFileTime(file, As<::FILETIME>(creation), As<::FILETIME>(lastAccess), As<::FILETIME>(lastWrite));
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite) {
  return ::SetFileTime(file, As<::FILETIME>(creation), As<::FILETIME>(lastAccess), As<::FILETIME>(lastWrite));
}

BOOL CopyFile(const WCHAR* existingFileName, const WCHAR* newFileName, BOOL failIfExists) {
  return ::CopyFileW(Wide(existingFileName), Wide(newFileName), failIfExists);
}

BOOL MoveFile(const WCHAR* existingFileName, const WCHAR* newFileName) {
  return ::MoveFileW(Wide(existingFileName), Wide(newFileName));
}

BOOL MoveFileEx(const WCHAR* existingFileName, const WCHAR* newFileName, DWORD flags) {
  return ::MoveFileExW(Wide(existingFileName), Wide(newFileName), flags);
}

BOOL DeleteFile(const WCHAR* fileName) { return ::DeleteFileW(Wide(fileName)); }

BOOL CreateDirectory(const WCHAR* pathName, SECURITY_ATTRIBUTES* security) {
  return ::CreateDirectoryW(Wide(pathName), As<::SECURITY_ATTRIBUTES>(security));
}

BOOL RemoveDirectory(const WCHAR* pathName) { return ::RemoveDirectoryW(Wide(pathName)); }

DWORD GetFileAttributes(const WCHAR* fileName) { return ::GetFileAttributesW(Wide(fileName)); }

BOOL GetFileAttributesEx(const WCHAR* fileName, GET_FILEEX_INFO_LEVELS level, void* information) {
  static_assert(sizeof(::WIN32_FILE_ATTRIBUTE_DATA) == sizeof(WIN32_FILE_ATTRIBUTE_DATA));
  return ::GetFileAttributesExW(Wide(fileName), static_cast<::GET_FILEEX_INFO_LEVELS>(level), information);
}

BOOL SetFileAttributes(const WCHAR* fileName, DWORD attributes) {
  return ::SetFileAttributesW(Wide(fileName), attributes);
}

HANDLE FindFirstFile(const WCHAR* fileName, WIN32_FIND_DATA* findData) {
  return ::FindFirstFileW(Wide(fileName), As<::WIN32_FIND_DATAW>(findData));
}

BOOL FindNextFile(HANDLE find, WIN32_FIND_DATA* findData) {
  return ::FindNextFileW(find, As<::WIN32_FIND_DATAW>(findData));
}

BOOL FindClose(HANDLE find) { return ::FindClose(find); }

BOOL GetDiskFreeSpaceEx(const WCHAR* directoryName, ULARGE_INTEGER* freeBytesAvailableToCaller,
                        ULARGE_INTEGER* totalNumberOfBytes, ULARGE_INTEGER* totalNumberOfFreeBytes) {
  return ::GetDiskFreeSpaceExW(Wide(directoryName), As<::ULARGE_INTEGER>(freeBytesAvailableToCaller),
                               As<::ULARGE_INTEGER>(totalNumberOfBytes),
                               As<::ULARGE_INTEGER>(totalNumberOfFreeBytes));
}

DWORD GetCurrentDirectory(DWORD bufferLength, WCHAR* buffer) {
  return ::GetCurrentDirectoryW(bufferLength, Wide(buffer));
}

BOOL SetCurrentDirectory(const WCHAR* pathName) { return ::SetCurrentDirectoryW(Wide(pathName)); }

DWORD GetTempPath(DWORD bufferLength, WCHAR* buffer) { return ::GetTempPathW(bufferLength, Wide(buffer)); }

DWORD GetFullPathName(const WCHAR* fileName, DWORD bufferLength, WCHAR* buffer, WCHAR** filePart) {
  return ::GetFullPathNameW(Wide(fileName), bufferLength, Wide(buffer), reinterpret_cast<wchar_t**>(filePart));
}

DWORD GetPrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* defaultValue,
                              WCHAR* returnedString, DWORD size, const WCHAR* fileName) {
  return ::GetPrivateProfileStringW(Wide(appName), Wide(keyName), Wide(defaultValue), Wide(returnedString), size,
                                    Wide(fileName));
}

UINT GetPrivateProfileInt(const WCHAR* appName, const WCHAR* keyName, int defaultValue, const WCHAR* fileName) {
  return ::GetPrivateProfileIntW(Wide(appName), Wide(keyName), defaultValue, Wide(fileName));
}

BOOL WritePrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* value,
                               const WCHAR* fileName) {
  return ::WritePrivateProfileStringW(Wide(appName), Wide(keyName), Wide(value), Wide(fileName));
}

}  // namespace ks::sys
