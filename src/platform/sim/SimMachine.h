#pragma once
// The simulated Windows machine: a folder holding machine.ini (identity),
// drives/<letter>/ (files), unc/<server>/<share>/, registry.db, objects/ and
// journal.log. A process works on one machine at a time: the one attached,
// or the one named by KS_MACHINE in its environment (how children inherit it).

#include "platform/SysTypes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ks::sim {

// A display: its rectangle and its work area (without the task bar), in
// virtual-screen coordinates.
struct MonitorFact {
  sys::LONG left = 0, top = 0, right = 1920, bottom = 1080;
  sys::LONG workLeft = 0, workTop = 0, workRight = 1920, workBottom = 1040;
};

// Facts of a machine; a default Identity is a Windows 10 x64 machine with an
// administrator, network up and a 256 GB drive C:.
struct Identity {
  sys::DWORD platformId = 2;  // VER_PLATFORM_WIN32_NT
  sys::DWORD major = 10;
  sys::DWORD minor = 0;
  sys::DWORD build = 19045;
  std::u16string servicePack;
  // Bit n set: IsProcessorFeaturePresent(n) is true (MMX, SSE, SSE2, SSE3).
  std::uint64_t cpuFeatures = (1u << 3) | (1u << 6) | (1u << 10) | (1u << 13);
  bool is64Bit = true;
  bool administrator = true;
  bool networkUp = true;
  // The embedded web-browser control's COM object can be created.
  bool webBrowserControl = true;
  std::u16string userName = u"User";
  std::u16string computerName = u"KS-PC";
  // Drive letter (upper case) to size in bytes; C: always exists.
  std::map<char, std::uint64_t> driveSizes{{'C', 256ull << 30}};
  // Drive letter to a host folder shown as that drive (a setup medium as D:).
  std::map<char, std::string> mappedDrives;
  // Program file name (for example "PackageInstaller.exe") to a host command.
  std::map<std::u16string, std::string> programs;
  // Displays, the primary first.
  std::vector<MonitorFact> monitors{MonitorFact()};

  // Windows XP and older keep profiles under "Documents and Settings".
  bool IsXpLayout() const { return major < 6; }
};

// Makes a fresh machine in folder (created; it must be missing or empty):
// folders, registry defaults and identity. false with *error on failure.
bool CreateMachine(const std::string& folder, const Identity& identity, std::string* error);

// Attaches the process to an existing machine, checking that it is whole
// (machine.ini readable, registry.db a registry, folder owned by this user).
bool AttachMachine(const std::string& folder, std::string* error);
void DetachMachine();
bool IsAttached();
std::string MachineFolder();

// The identity of the attached machine; SetIdentity rewrites machine.ini.
Identity GetIdentity();
bool SetIdentity(const Identity& identity);

// In the child of a fork: drops the inherited registry connection without
// closing it and opens a new one, as SQLite requires.
bool ReattachAfterFork();

}  // namespace ks::sim
