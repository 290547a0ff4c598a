// Picture files through the Windows Imaging Component: decoded, converted to
// 32-bit BGRA and copied into a top-down DIB section.

#include "platform/SysImage.h"

#include <windows.h>
#include <wincodec.h>

namespace ks::sys {
namespace {

template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (m_pointer) m_pointer->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface** Receive() { return &m_pointer; }
  Interface* operator->() const { return m_pointer; }
  Interface* Get() const { return m_pointer; }

 private:
  Interface* m_pointer = nullptr;
};

// COM for the duration of one call when the thread has not started it.
class ComScope {
 public:
  ComScope() : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (m_started) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool m_started;
};

DWORD ErrorOf(HRESULT result) {
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) return DWORD(HRESULT_CODE(result));
  return ERROR_INVALID_DATA;
}

}  // namespace

HBITMAP LoadImageFile(const WCHAR* path) {
  if (!path) return ::SetLastError(ERROR_INVALID_PARAMETER), nullptr;
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.Receive()));
  ComPtr<IWICBitmapDecoder> decoder;
  if (SUCCEEDED(result))
    result = factory->CreateDecoderFromFilename(reinterpret_cast<const wchar_t*>(path), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Receive());
  ComPtr<IWICBitmapFrameDecode> frame;
  if (SUCCEEDED(result)) result = decoder->GetFrame(0, frame.Receive());
  ComPtr<IWICFormatConverter> converter;
  if (SUCCEEDED(result)) result = factory->CreateFormatConverter(converter.Receive());
  if (SUCCEEDED(result))
    result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
  UINT width = 0, height = 0;
  if (SUCCEEDED(result)) result = converter->GetSize(&width, &height);
  if (FAILED(result) || width == 0 || height == 0) {
    ::SetLastError(FAILED(result) ? ErrorOf(result) : ERROR_INVALID_DATA);
    return nullptr;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = LONG(width);
  info.bmiHeader.biHeight = -LONG(height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ::HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  result = converter->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(bits));
  if (FAILED(result)) {
    ::DeleteObject(bitmap);
    ::SetLastError(ErrorOf(result));
    return nullptr;
  }
  return reinterpret_cast<HBITMAP>(bitmap);
}

}  // namespace ks::sys
