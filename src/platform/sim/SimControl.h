#pragma once
// Controls of the simulated machine for tests and tools: facts of the running
// process, files in use, denied rights, free space, faults, call counts, the
// journal, virtual time and the handle report.

#include "platform/SysTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ks::sim {

// The process's bitness on the machine (32 unless told otherwise) and the
// Windows path it was started as; children get them from their starter.
void SetProcess64(bool is64);
bool IsProcess64();
void SetProgramPath(const std::u16string& windowsPath);

// A locked file is open without sharing, as another program holding it would:
// replacing, deleting, moving and opening it fail with ERROR_SHARING_VIOLATION.
bool LockFile(const std::u16string& windowsPath);
bool UnlockFile(const std::u16string& windowsPath);
// Every access to the path, or below it, fails with ERROR_ACCESS_DENIED.
void DenyAccess(const std::u16string& windowsPath);
void AllowAccess(const std::u16string& windowsPath);

// Free space of a drive ('C'); writes past it fail with ERROR_DISK_FULL.
bool SetFreeSpace(char drive, std::uint64_t bytes);

enum class FaultKind {
  FileCreate,        // CreateFile, CreateDirectory
  FileWrite,         // WriteFile
  FileCopy,          // CopyFile
  FileMove,          // MoveFile, MoveFileEx
  FileDelete,        // DeleteFile, RemoveDirectory
  RegistryWrite,     // RegCreateKeyEx, RegSetValueEx, RegDeleteValue, RegDeleteKey
  ProcessStart,      // CreateProcess, ShellExecuteEx
  ModuleLoad,        // LoadLibraryEx
  SharedMemoryOpen,  // CreateFileMapping, OpenFileMapping
  Count
};

// The nth call of the kind from now on (1: the next one) fails with error;
// persistent: that call and every later one.
void InjectFault(FaultKind kind, int nth, sys::DWORD error, bool persistent);
void ClearFaults();
// Calls of the kind since the process started or ResetCallCounts.
int CallCount(FaultKind kind);
void ResetCallCounts();

// Lines of journal.log: "<what>\t<details>", oldest first.
std::vector<std::string> ReadJournal();
void AppendJournal(const std::string& what, const std::string& details);

// Virtual time: GetTickCount and the performance counter move only through
// Sleep, AdvanceTime and waits that would block.
void UseVirtualTime(bool virtualTime);
void AdvanceTime(std::uint32_t milliseconds);

void SetKeyState(int virtualKey, sys::SHORT state);

// Handles still open and handles closed twice since the last call, one line
// each; the open ones are then forgotten.
std::vector<std::string> TakeHandleProblems();

// Every file and registry value of the machine, one sorted line each.
bool TakeSnapshot(std::string* text, std::string* error);
// "+ ", "- " or "* " (changed) and the line's name, for files and values.
std::vector<std::string> DiffSnapshots(const std::string& before, const std::string& after);

// Restart: carries out PendingFileRenameOperations in order, then runs and
// removes the RunOnce entries of HKLM and HKCU. Lines of what it did in *log.
bool Reboot(std::vector<std::string>* log, std::string* error);

// REGEDIT5 text of a key and everything below it ("HKEY_LOCAL_MACHINE\\Software").
bool ExportRegistry(const std::u16string& keyPath, std::string* text, std::string* error);

// Host path of a Windows path on the machine (empty with last error on failure).
std::string HostPath(const std::u16string& windowsPath);

// UTF-16 and UTF-8 conversions used by tools and tests.
std::string ToUtf8(const std::u16string& text);
std::u16string ToUtf16(const std::string& text);

}  // namespace ks::sim
