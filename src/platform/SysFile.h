#pragma once
// File system calls of the seam: files, folders, attributes, finds, free space
// and the INI profile readers. Paths are Windows paths; results and last-error
// codes are those of the Windows calls of the same names.

#include "platform/SysHandle.h"
#include "platform/SysTypes.h"

namespace ks::sys {

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD GENERIC_ALL = 0x10000000;
constexpr DWORD DELETE = 0x00010000;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

struct WIN32_FIND_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

HANDLE CreateFile(const WCHAR* fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                  DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
BOOL SetEndOfFile(HANDLE file);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, DWORD* fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);

BOOL CopyFile(const WCHAR* existingFileName, const WCHAR* newFileName, BOOL failIfExists);
BOOL MoveFile(const WCHAR* existingFileName, const WCHAR* newFileName);
// MOVEFILE_DELAY_UNTIL_REBOOT records the operation in PendingFileRenameOperations
// (newFileName null: delete at restart); it needs administrator rights.
BOOL MoveFileEx(const WCHAR* existingFileName, const WCHAR* newFileName, DWORD flags);
BOOL DeleteFile(const WCHAR* fileName);
BOOL CreateDirectory(const WCHAR* pathName, SECURITY_ATTRIBUTES* security);
BOOL RemoveDirectory(const WCHAR* pathName);

DWORD GetFileAttributes(const WCHAR* fileName);
BOOL GetFileAttributesEx(const WCHAR* fileName, GET_FILEEX_INFO_LEVELS level, void* information);
BOOL SetFileAttributes(const WCHAR* fileName, DWORD attributes);

// Patterns with * and ? in the last path segment; "." and ".." are reported for
// folders other than a drive's root, as Windows does.
HANDLE FindFirstFile(const WCHAR* fileName, WIN32_FIND_DATA* findData);
BOOL FindNextFile(HANDLE find, WIN32_FIND_DATA* findData);
BOOL FindClose(HANDLE find);

BOOL GetDiskFreeSpaceEx(const WCHAR* directoryName, ULARGE_INTEGER* freeBytesAvailableToCaller,
                        ULARGE_INTEGER* totalNumberOfBytes, ULARGE_INTEGER* totalNumberOfFreeBytes);

DWORD GetCurrentDirectory(DWORD bufferLength, WCHAR* buffer);
BOOL SetCurrentDirectory(const WCHAR* pathName);
DWORD GetTempPath(DWORD bufferLength, WCHAR* buffer);
DWORD GetFullPathName(const WCHAR* fileName, DWORD bufferLength, WCHAR* buffer, WCHAR** filePart);

// INI profiles. A null section lists the section names, a null key the keys of
// the section, each terminated, the list double-terminated.
DWORD GetPrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* defaultValue,
                              WCHAR* returnedString, DWORD size, const WCHAR* fileName);
UINT GetPrivateProfileInt(const WCHAR* appName, const WCHAR* keyName, int defaultValue, const WCHAR* fileName);
BOOL WritePrivateProfileString(const WCHAR* appName, const WCHAR* keyName, const WCHAR* value,
                               const WCHAR* fileName);

}  // namespace ks::sys
