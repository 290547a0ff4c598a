#include "foundation/KsProcess.h"

#include "foundation/KsHandle.h"
#include "foundation/KsProductPaths.h"
#include "foundation/KsStringArray.h"
#include "foundation/KsTimer.h"
#include "foundation/KsTools.h"
#include "foundation/KsTraceScope.h"
#include "platform/SysError.h"
#include "platform/SysExport.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysShell.h"
#include "platform/SysSystem.h"
#include "platform/SysThread.h"

namespace {

constexpr KsChar kTag[] = u"RunProgram";
constexpr ks::sys::DWORD kNoZoneChecks = 0x00800000;  // SEE_MASK_NOZONECHECKS
constexpr ks::sys::DWORD kPumpingWaitStepMs = 10;
constexpr ks::sys::DWORD kWaitStepMs = 500;
constexpr ks::sys::UINT kKilledExitCode = 0xFFFFFFFF;
constexpr ks::sys::DWORD kWorkingFolderLength = 2080;

// Waits for the process; true when it ended by itself.
bool WaitForProgram(ks::sys::HANDLE process, bool pumpMessages, int timeLimitMs) {
  KsLog(kKsLogInfo, kTag, u"Waiting for completion");
  KsTimer timer;
  const ks::sys::DWORD step = pumpMessages ? kPumpingWaitStepMs : kWaitStepMs;
  for (;;) {
    const ks::sys::DWORD result = ks::sys::WaitForMultipleObjects(1, &process, ks::sys::FALSE, step);
    if (result == ks::sys::WAIT_OBJECT_0) {
      KsLog(kKsLogInfo, kTag, u"Finished");
      return true;
    }
    if (result != ks::sys::WAIT_TIMEOUT) {
      KsLogFormat(kKsLogError, kTag, u"Unknown wait code (%d)", result);
      ks::sys::TerminateProcess(process, kKilledExitCode);
      return false;
    }
    if (timeLimitMs >= 1 && timer.Elapsed() > timeLimitMs) {
      KsLog(kKsLogWarning, kTag, u"Timeout");
      ks::sys::TerminateProcess(process, kKilledExitCode);
      return false;
    }
    if (pumpMessages) {
      // Windows and messages are not in the seam yet: the tools module pumps them.
      if (IKsWindowService* windows = KsToolsWindowService()) windows->PumpMessages();
    }
  }
}

// Kernel32 entries looked up by name: older systems lack them.
class Wow64Entries {
 public:
  Wow64Entries() : m_kernel(ks::sys::LoadLibraryEx(u"kernel32.dll", nullptr, 0)) {
    if (!m_kernel) return;
    m_isWow64 = reinterpret_cast<IsWow64ProcessFunction>(ks::sys::GetProcAddress(m_kernel.Get(), "IsWow64Process"));
    m_enableRedirection = reinterpret_cast<EnableRedirectionFunction>(
        ks::sys::GetProcAddress(m_kernel.Get(), "Wow64EnableWow64FsRedirection"));
  }

  bool IsWow64() const {
    ks::sys::BOOL wow64 = ks::sys::FALSE;
    return m_isWow64 != nullptr && m_isWow64(ks::sys::GetCurrentProcess(), &wow64) && wow64;
  }
  void EnableRedirection(bool enable) const {
    if (m_enableRedirection != nullptr) m_enableRedirection(enable ? ks::sys::TRUE : ks::sys::FALSE);
  }

 private:
  using IsWow64ProcessFunction = ks::sys::BOOL(KS_SYSAPI*)(ks::sys::HANDLE, ks::sys::BOOL*);
  using EnableRedirectionFunction = ks::sys::BOOL(KS_SYSAPI*)(ks::sys::BOOL);

  KsModule m_kernel;
  IsWow64ProcessFunction m_isWow64 = nullptr;
  EnableRedirectionFunction m_enableRedirection = nullptr;
};

// Puts the working folder back when the scope ends.
class WorkingFolderScope {
 public:
  WorkingFolderScope() {
    ks::sys::WCHAR buffer[kWorkingFolderLength + 1] = {};
    const ks::sys::DWORD length = ks::sys::GetCurrentDirectory(kWorkingFolderLength, buffer);
    if (length > 0 && length < kWorkingFolderLength) m_saved = KsString(buffer);
  }
  WorkingFolderScope(const WorkingFolderScope&) = delete;
  WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;
  ~WorkingFolderScope() {
    if (!m_saved.IsEmpty()) ks::sys::SetCurrentDirectory(m_saved);
  }

 private:
  KsString m_saved;
};

}  // namespace

bool RunProgram(const KsString& file, const KsStringArray& parameters, bool show, bool wait, bool pumpMessages,
                int timeLimitMs) {
  KsTraceScope scope(kTag);
  const KsString parameterText = parameters.Join(u" ");
  if (file.IsEmpty()) return false;
  KsLogFormat(kKsLogInfo, kTag, u"Filename: %s / Parameters: %s", file, parameterText);

  ks::sys::SHELLEXECUTEINFO info{};
  info.cbSize = sizeof info;
  info.fMask = ks::sys::SEE_MASK_NOCLOSEPROCESS | kNoZoneChecks | (show ? 0 : ks::sys::SEE_MASK_FLAG_NO_UI);
  info.lpFile = file;
  info.lpParameters = parameterText;
  info.nShow = show ? ks::sys::SW_SHOWNORMAL : ks::sys::SW_HIDE;
  KsLog(kKsLogInfo, kTag, u"Performing ShellExecute...");
  ks::sys::ShellExecuteEx(&info);  // hInstApp tells the outcome
  const auto startResult = reinterpret_cast<std::intptr_t>(info.hInstApp);
  if (startResult <= 32) {
    KsLogFormat(kKsLogError, kTag, u"Failed to start (error %d)", static_cast<int>(startResult));
    return false;
  }
  KsHandle process(info.hProcess);
  if (!process) return true;  // handed to a program that was already running

  KsLog(kKsLogInfo, kTag, u"Running process...");
  if (!wait) return true;
  const bool ended = WaitForProgram(process.Get(), pumpMessages, timeLimitMs);
  KsLog(kKsLogInfo, kTag, u"Done waiting");
  return ended;
}

bool RunProgramAndWait(const KsString& file, bool show, const KsString& parameters, bool pumpMessages,
                       int timeLimitMs) {
  KsStringArray list;
  list.Add(parameters);
  return RunProgram(file, list, show, true, pumpMessages, timeLimitMs);
}

bool RunPackageInstallerCommand(const KsString& arguments) {
  KsString file = KsProductPaths::Get().GetProgramFolder();
  file += u"PackageInstaller.exe";
  return RunProgramAndWait(file, true, arguments, false, -1);
}

bool RunPackageInstaller(const KsString& name, bool registerIt) {
  KsString arguments = registerIt ? u"/RegDLL " : u"/UnRegDLL ";
  arguments += name;
  return RunPackageInstallerCommand(arguments);
}

bool RegisterWithRegSvr32(const KsString& path, bool registerIt, bool nativeTool) {
  const Wow64Entries wow64;
  const bool redirectionOff = nativeTool && wow64.IsWow64();
  if (redirectionOff) wow64.EnableRedirection(false);

  KsString parameters = u"/s ";
  if (!registerIt) parameters += u"/u ";
  parameters += u"\"";
  parameters += path;
  parameters += u"\"";
  KsString program = KsProductPaths::GetWindowsFolder();
  program += u"system32\\RegSvr32.exe";
  RunProgramAndWait(program, false, parameters, true, -1);

  if (redirectionOff) wow64.EnableRedirection(true);
  return true;
}

bool RegisterInProcess(const KsString& path) {
  using RegisterFunction = ks::sys::HRESULT(KS_SYSAPI*)();
  const WorkingFolderScope restore;
  const int separator = path.ReverseFindChar(u'\\');
  if (separator > 0) ks::sys::SetCurrentDirectory(path.Left(separator == 2 ? 3 : separator));
  try {
    KsModule module(ks::sys::LoadLibraryEx(path, nullptr, 0));
    if (!module) {
      KsLogFormat(kKsLogError, u"RegisterInProcess", u"LoadLibraryEx failed: %s (error %d)", path,
                  ks::sys::GetLastError());
      return false;
    }
    auto entry = reinterpret_cast<RegisterFunction>(ks::sys::GetProcAddress(module.Get(), "DllRegisterServer"));
    if (entry == nullptr) {
      KsLogFormat(kKsLogError, u"RegisterInProcess", u"No DllRegisterServer in %s (error %d)", path,
                  ks::sys::GetLastError());
      return false;
    }
    return entry() >= 0;
  } catch (...) {
    KsLogFormat(kKsLogError, u"RegisterInProcess", u"DllRegisterServer raised an exception: %s", path);
    return false;
  }
}

bool IsRegistrableFile(const KsString& path) {
  if (path.IsEmpty()) return false;
  return path.Find(u".dll") >= 0 || path.Find(u".ocx") >= 0 || path.Find(u".ax") >= 0;
}

KsString KsCommandLineArguments(const KsChar* commandLine) {
  const KsChar* p = commandLine != nullptr ? commandLine : u"";
  if (*p == u'"') {
    ++p;
    while (*p != 0 && *p != u'"') ++p;
    if (*p == u'"') ++p;
  } else {
    while (*p != 0 && *p != u' ' && *p != u'\t') ++p;
  }
  while (*p == u' ' || *p == u'\t') ++p;
  return KsString(p);
}
