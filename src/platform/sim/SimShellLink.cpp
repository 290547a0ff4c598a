// Shell links on the simulated machine: the link's fields as UTF-8 lines
// "Name=value" under a "[ShellLink]" header, written and read through the
// machine's own file calls, so locks, rights, faults and free space apply.

#include "platform/SysShellLink.h"

#include <cstdlib>
#include <string>

#include "platform/SysCom.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysHandle.h"
#include "platform/sim/SimCom.h"
#include "platform/sim/SimControl.h"

namespace ks::sys {
namespace {

constexpr const char* kHeader = "[ShellLink]";

std::u16string Text(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(); }

// Values are single lines: line breaks would split a field.
std::string Line(const char* name, const WCHAR* value) {
  std::string utf8 = sim::ToUtf8(Text(value));
  for (char& c : utf8) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return std::string(name) + "=" + utf8 + "\r\n";
}

void CopyField(const std::string& utf8, WCHAR* out, int capacity) {
  std::u16string text = sim::ToUtf16(utf8);
  if (static_cast<int>(text.size()) >= capacity) text.resize(capacity - 1);
  text.copy(out, text.size());
  out[text.size()] = 0;
}

}  // namespace

// OLE starts COM in the single-threaded apartment, and ends it again.
HRESULT OleInitialize(void*) { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

void OleUninitialize() { CoUninitialize(); }

HRESULT CreateShellLink(const WCHAR* linkPath, const WCHAR* target, const WCHAR* arguments,
                        const WCHAR* workingDirectory, const WCHAR* description, const WCHAR* iconPath, int iconIndex,
                        int showCommand) {
  if (!sim::IsComStartedOnThread()) return CO_E_NOTINITIALIZED;
  if (linkPath == nullptr || *linkPath == 0) return E_INVALIDARG;
  std::string content = std::string(kHeader) + "\r\n" + Line("Target", target) + Line("Arguments", arguments) +
                        Line("WorkingDirectory", workingDirectory) + Line("Description", description) +
                        Line("IconLocation", iconPath) + "IconIndex=" + std::to_string(iconIndex) + "\r\n" +
                        "ShowCommand=" + std::to_string(showCommand) + "\r\n";
  HANDLE file = CreateFile(linkPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return HresultFromWin32(GetLastError());
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr) && written == content.size();
  const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  if (!ok) {
    DeleteFile(linkPath);
    return HresultFromWin32(error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error);
  }
  return S_OK;
}

HRESULT ReadShellLink(const WCHAR* linkPath, SHELL_LINK_DATA* link) {
  if (!sim::IsComStartedOnThread()) return CO_E_NOTINITIALIZED;
  if (linkPath == nullptr || link == nullptr) return E_INVALIDARG;
  HANDLE file = CreateFile(linkPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return HresultFromWin32(GetLastError());
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0 && content.size() < (1u << 20)) {
    content.append(buffer, read);
  }
  CloseHandle(file);
  if (content.compare(0, std::string(kHeader).size(), kHeader) != 0) return E_FAIL;  // not a link
  *link = SHELL_LINK_DATA{};
  link->showCommand = 1;
  std::size_t at = 0;
  while (at < content.size()) {
    std::size_t end = content.find("\r\n", at);
    if (end == std::string::npos) end = content.size();
    const std::string line = content.substr(at, end - at);
    at = end + 2;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (name == "Target") CopyField(value, link->target, kShellLinkPathLength);
    else if (name == "Arguments") CopyField(value, link->arguments, kShellLinkTextLength);
    else if (name == "WorkingDirectory") CopyField(value, link->workingDirectory, kShellLinkPathLength);
    else if (name == "Description") CopyField(value, link->description, kShellLinkTextLength);
    else if (name == "IconLocation") CopyField(value, link->iconPath, kShellLinkPathLength);
    else if (name == "IconIndex") link->iconIndex = std::atoi(value.c_str());
    else if (name == "ShowCommand") link->showCommand = std::atoi(value.c_str());
  }
  return S_OK;
}

}  // namespace ks::sys
