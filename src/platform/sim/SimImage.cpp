// Picture files on the simulated machine: read through the machine's files,
// decoded with libpng or libjpeg (chosen by the file's signature, not its
// name), and kept as a bitmap object of the grid.

#include "platform/SysImage.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysHandle.h"
#include "platform/sim/SimGdiInternal.h"
#include "platform/sim/SimInternal.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace ks::sim::detail {
namespace {

using namespace ks::sys;

bool ReadWhole(const WCHAR* path, std::vector<unsigned char>* bytes) {
  HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool read = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < (LONGLONG(1) << 30);
  if (read) {
    bytes->resize(std::size_t(size.QuadPart));
    DWORD done = 0;
    read = bytes->empty() || (ReadFile(file, bytes->data(), DWORD(bytes->size()), &done, nullptr) && done == bytes->size());
  }
  DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return read;
}

bool DecodePng(const std::vector<unsigned char>& bytes, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_BGRA;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  *width = int(image.width);
  *height = int(image.height);
  return true;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void QuietJpeg(j_common_ptr, int) {}

// libjpeg reports errors by longjmp; nothing with a destructor lives between setjmp and the calls.
bool DecodeJpeg(const std::vector<unsigned char>& bytes, int* width, int* height, std::vector<unsigned char>* row) {
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.manager.emit_message = QuietJpeg;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  row->resize(std::size_t(info.output_width) * std::size_t(info.output_components));
  while (info.output_scanline < info.output_height) {
    JSAMPROW line = row->data();
    jpeg_read_scanlines(&info, &line, 1);
  }
  *width = int(info.output_width);
  *height = int(info.output_height);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

std::u16string FileName(const WCHAR* path) {
  std::u16string text = Span(path);
  std::size_t slash = text.find_last_of(u"\\/");
  return slash == std::u16string::npos ? text : text.substr(slash + 1);
}

}  // namespace
}  // namespace ks::sim::detail

namespace ks::sys {

HBITMAP LoadImageFile(const WCHAR* path) {
  using namespace ks::sim::detail;
  if (!path) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  std::vector<unsigned char> bytes;
  if (!ReadWhole(path, &bytes)) return nullptr;
  int width = 0, height = 0;
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G'};
  bool png = bytes.size() >= 4 && std::equal(kPng, kPng + 4, bytes.begin());
  bool jpeg = bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
  std::vector<unsigned char> row;
  bool decoded = (png && DecodePng(bytes, &width, &height)) || (jpeg && DecodeJpeg(bytes, &width, &height, &row));
  if (!decoded || width <= 0 || height <= 0) return Fail(ERROR_INVALID_DATA), nullptr;
  return MakeBitmap(width, height, FileName(path));
}

}  // namespace ks::sys
