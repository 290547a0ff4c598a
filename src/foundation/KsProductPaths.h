#pragma once
// KsProductPaths: the product's folders as every module of the process sees
// them. The answers that other modules of the process must share live in a
// per-process record in named shared memory ("Kestrune Process v22 (<pid>)");
// the first object to find the record uninitialised fills it in and is its
// owner. When the shared memory cannot be had, a private copy of the record
// keeps the answers working for this module alone. Folder answers end in one
// backslash (empty text stays empty).

#include <cstdint>
#include <memory>

#include "foundation/KsSharedMemory.h"
#include "foundation/KsString.h"

class KsProductPaths {
 public:
  static constexpr int kMajorVersion = 22;
  static constexpr std::size_t kRecordSize = 3176;
  static constexpr int kSlotCharacters = 259;  // the longest path a slot keeps

  enum class View { Mini, Standard, Theater };

  // The process-wide object, created on first use.
  static KsProductPaths& Get();
  // Drops the process-wide object (end of process, or a test's fresh machine).
  static void ReleaseInstance();

  // Opens the process's record and initialises it when nobody has.
  KsProductPaths();
  KsProductPaths(const KsProductPaths&) = delete;
  KsProductPaths& operator=(const KsProductPaths&) = delete;

  // True when this object initialised the record.
  bool IsOwner() const noexcept { return m_owner; }
  // True when the record is the shared one (not the private fallback).
  bool IsShared() const noexcept { return m_memory.IsOpen(); }
  static KsString RecordName();

  KsString GetExecutablePath() const;  // slot A, no trailing backslash
  KsString GetProgramFolder() const;   // the install path
  KsString GetWorkingProgramFolder() const;
  KsString GetModuleFolder() const;
  KsString GetDataFolder() const;
  KsString GetSkinsFolder() const;
  KsString GetViewSkinsFolder(View view) const;
  KsString GetApplicationDataRoot() const;
  KsString GetApplicationDataFolder() const;
  // Created on demand; falls back from an unusable configured location.
  KsString GetTemporaryFolder() const;
  KsString GetMusicFolder() const;
  bool IsPortable() const;
  std::uint32_t GetMainThreadId() const;

  // Writes the install path (and with alsoWorkingAndModule slots C and D).
  // With ownerOnly nothing happens unless this object owns the record.
  void SetInstallPath(const KsChar* path, bool alsoWorkingAndModule, bool ownerOnly);
  void SetWorkingProgramFolder(const KsChar* path);
  void SetModuleFolder(const KsChar* path);
  // Marks the record as set up by the installer's start-up.
  void MarkStarted();
  // Finds the install path: a folder holding "Portable.dat" beside the
  // program, else the registered installation (productKey, or the current
  // one containing the program), else the program's own folder.
  void DiscoverInstallPath(const KsChar* productKey, bool alsoWorkingAndModule, bool ownerOnly);

  static KsString GetSetupFolder();
  static KsString GetModuleFileName();
  static KsString GetWindowsFolder();
  static KsString GetSystemFolder();
  static KsString GetFontsFolder();
  static KsString GetProgramFilesFolder();

 private:
  void Initialise();
  std::uint8_t* Record() const;
  KsString ReadSlot(std::size_t offset) const;
  void WriteSlot(std::size_t offset, const KsChar* path, bool withBackslash);

  KsSharedMemory m_memory;
  std::unique_ptr<std::uint8_t[]> m_privateRecord;
  bool m_owner = false;
};
