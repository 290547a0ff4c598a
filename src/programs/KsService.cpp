// KsService: the sample product's background service program. The installer
// runs it with "/Stop" before an install and "/Register" at the end; it writes
// each request, with the time, to "KsService.log" beside itself and answers 0
// for a known command, 1 for anything else.

#include "foundation/KsHandle.h"
#include "foundation/KsProcess.h"
#include "foundation/KsString.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysTime.h"

namespace sys = ks::sys;

namespace {

KsString OwnFolder() {
  sys::WCHAR path[sys::MAX_PATH] = {};
  const sys::DWORD length = sys::GetModuleFileName(nullptr, path, sys::MAX_PATH);
  KsString own(path, static_cast<int>(length < sys::MAX_PATH ? length : 0));
  return own.Left(own.ReverseFindChar(u'\\') + 1);
}

void AppendLine(const KsString& file, const KsString& line) {
  KsFileHandle log(sys::CreateFile(file, sys::GENERIC_WRITE, sys::FILE_SHARE_READ, nullptr, sys::OPEN_ALWAYS,
                                   sys::FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!log) return;
  sys::SetFilePointer(log.Get(), 0, nullptr, sys::FILE_END);
  const std::string bytes = (line + u"\r\n").ToUtf8();
  sys::DWORD written = 0;
  sys::WriteFile(log.Get(), bytes.data(), static_cast<sys::DWORD>(bytes.size()), &written, nullptr);
}

int Run() {
  KsString arguments = KsCommandLineArguments(sys::GetCommandLine());
  arguments.Trim();
  const bool stop = arguments.CompareNoCase(u"/Stop") == 0;
  const bool registerIt = arguments.CompareNoCase(u"/Register") == 0;
  sys::SYSTEMTIME now{};
  sys::GetLocalTime(&now);
  const KsString what = stop ? KsString(u"stop the service") : registerIt ? KsString(u"register the service")
                                                                          : KsString(u"unknown request");
  AppendLine(OwnFolder() + u"KsService.log",
             KsFormat(u"%04d-%02d-%02d %02d:%02d:%02d KsService %s: %s", now.wYear, now.wMonth, now.wDay, now.wHour,
                      now.wMinute, now.wSecond, arguments, what));
  return stop || registerIt ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
#include <windows.h>
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return Run(); }
#else
int main() { return Run(); }
#endif
