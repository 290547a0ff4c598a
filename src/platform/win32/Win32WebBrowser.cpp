// The embedded web-browser control's COM object, forwarded.

#include "platform/SysWebBrowser.h"

#include "platform/win32/Win32Native.h"

#include <objbase.h>

namespace ks::sys {

HRESULT CreateWebBrowserControl() {
  // CLSID_WebBrowser {8856F961-340A-11D0-A96B-00C04FD705A2}
  static const ::CLSID kWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
  ::IUnknown* object = nullptr;
  const ::HRESULT result = ::CoCreateInstance(kWebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                              reinterpret_cast<void**>(&object));
  if (SUCCEEDED(result) && object != nullptr) object->Release();
  return result;
}

}  // namespace ks::sys
