// Shell links through IShellLinkW and IPersistFile; COM start and end.

#include "platform/SysShellLink.h"

#include "platform/win32/Win32Native.h"

#include <objbase.h>
#include <objidl.h>
#include <ole2.h>
#include <shlobj.h>

#undef OleInitialize

namespace ks::sys {
namespace {

// The interface pointers of one link, released on every path.
class LinkObject {
 public:
  LinkObject() {
    m_result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&m_link));
    if (SUCCEEDED(m_result)) m_result = m_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&m_file));
  }
  ~LinkObject() {
    if (m_file) m_file->Release();
    if (m_link) m_link->Release();
  }
  LinkObject(const LinkObject&) = delete;
  LinkObject& operator=(const LinkObject&) = delete;

  HRESULT Result() const { return m_result; }
  IShellLinkW* Link() { return m_link; }
  IPersistFile* File() { return m_file; }

 private:
  IShellLinkW* m_link = nullptr;
  IPersistFile* m_file = nullptr;
  HRESULT m_result = E_FAIL;
};

}  // namespace

HRESULT OleInitialize(void* reserved) { return ::OleInitialize(reserved); }
void OleUninitialize() { ::OleUninitialize(); }

HRESULT CreateShellLink(const WCHAR* linkPath, const WCHAR* target, const WCHAR* arguments,
                        const WCHAR* workingDirectory, const WCHAR* description, const WCHAR* iconPath, int iconIndex,
                        int showCommand) {
  if (linkPath == nullptr || *linkPath == 0) return E_INVALIDARG;
  LinkObject object;
  if (FAILED(object.Result())) return object.Result();
  IShellLinkW* link = object.Link();
  if (target) link->SetPath(win32::Wide(target));
  if (arguments) link->SetArguments(win32::Wide(arguments));
  if (workingDirectory) link->SetWorkingDirectory(win32::Wide(workingDirectory));
  if (description) link->SetDescription(win32::Wide(description));
  if (iconPath) link->SetIconLocation(win32::Wide(iconPath), iconIndex);
  link->SetShowCmd(showCommand);
  return object.File()->Save(win32::Wide(linkPath), TRUE);
}

HRESULT ReadShellLink(const WCHAR* linkPath, SHELL_LINK_DATA* data) {
  if (linkPath == nullptr || data == nullptr) return E_INVALIDARG;
  LinkObject object;
  if (FAILED(object.Result())) return object.Result();
  const HRESULT loaded = object.File()->Load(win32::Wide(linkPath), STGM_READ);
  if (FAILED(loaded)) return loaded;
  IShellLinkW* link = object.Link();
  *data = SHELL_LINK_DATA{};
  link->GetPath(win32::Wide(data->target), kShellLinkPathLength, nullptr, SLGP_RAWPATH);
  link->GetArguments(win32::Wide(data->arguments), kShellLinkTextLength);
  link->GetWorkingDirectory(win32::Wide(data->workingDirectory), kShellLinkPathLength);
  link->GetDescription(win32::Wide(data->description), kShellLinkTextLength);
  link->GetIconLocation(win32::Wide(data->iconPath), kShellLinkPathLength, &data->iconIndex);
  link->GetShowCmd(&data->showCommand);
  return S_OK;
}

}  // namespace ks::sys
