#include "tools/KsToolsArchive.h"

#include <minizip/unzip.h>

#include <string>
#include <vector>

#include "foundation/KsFileSystem.h"
#include "foundation/KsHandle.h"
#include "foundation/KsStringArray.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"

namespace {

constexpr KsChar kTag[] = u"Archive";

// minizip's file functions over the seam; the "file name" is a KsChar path.
struct SeamFile {
  KsFileHandle file;
  bool failed = false;
};

voidpf ZCALLBACK OpenFile(voidpf, const void* name, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READ) == 0) return nullptr;
  auto* stream = new SeamFile;
  stream->file.Reset(ks::sys::CreateFile(static_cast<const KsChar*>(name), ks::sys::GENERIC_READ,
                                         ks::sys::FILE_SHARE_READ, nullptr, ks::sys::OPEN_EXISTING, 0, nullptr));
  if (!stream->file) {
    delete stream;
    return nullptr;
  }
  return stream;
}

uLong ZCALLBACK ReadFile(voidpf, voidpf opaque, void* buffer, uLong size) {
  auto* stream = static_cast<SeamFile*>(opaque);
  ks::sys::DWORD read = 0;
  if (!ks::sys::ReadFile(stream->file.Get(), buffer, static_cast<ks::sys::DWORD>(size), &read, nullptr)) {
    stream->failed = true;
  }
  return read;
}

uLong ZCALLBACK WriteFile(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellFile(voidpf, voidpf opaque) {
  ks::sys::LARGE_INTEGER zero{};
  ks::sys::LARGE_INTEGER position{};
  if (!ks::sys::SetFilePointerEx(static_cast<SeamFile*>(opaque)->file.Get(), zero, &position, ks::sys::FILE_CURRENT))
    return static_cast<ZPOS64_T>(-1);
  return static_cast<ZPOS64_T>(position.QuadPart);
}

long ZCALLBACK SeekFile(voidpf, voidpf opaque, ZPOS64_T offset, int origin) {
  ks::sys::DWORD method = ks::sys::FILE_BEGIN;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) method = ks::sys::FILE_CURRENT;
  if (origin == ZLIB_FILEFUNC_SEEK_END) method = ks::sys::FILE_END;
  ks::sys::LARGE_INTEGER distance{};
  distance.QuadPart = static_cast<long long>(offset);
  return ks::sys::SetFilePointerEx(static_cast<SeamFile*>(opaque)->file.Get(), distance, nullptr, method) ? 0 : -1;
}

int ZCALLBACK CloseFile(voidpf, voidpf opaque) {
  delete static_cast<SeamFile*>(opaque);
  return 0;
}

int ZCALLBACK TestError(voidpf, voidpf opaque) { return static_cast<SeamFile*>(opaque)->failed ? -1 : 0; }

// The entry's path parts, or false when it would leave the target folder.
bool SafeParts(const KsString& name, KsStringArray* parts) {
  KsString path = name;
  path.Replace(u'/', u'\\');
  if (path.FirstCharIs(u'\\') || path.FindChar(u':') >= 0) return false;
  parts->Split(path, u"\\");
  for (int i = parts->GetSize() - 1; i >= 0; --i) {
    const KsString& part = (*parts)[i];
    if (part.Equals(u"..")) return false;
    if (part.IsEmpty() || part.Equals(u".")) parts->RemoveAt(i);
  }
  return true;
}

bool CreateFolders(const KsString& base, const KsStringArray& parts, int count) {
  KsString path = base;
  for (int i = 0; i < count; ++i) {
    path += parts[i];
    if (!ks::sys::CreateDirectory(path, nullptr) && ks::sys::GetLastError() != ks::sys::ERROR_ALREADY_EXISTS)
      return false;
    path += u"\\";
  }
  return true;
}

bool ExtractCurrent(unzFile zip, const KsString& target) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  bool ok = true;
  {
    KsFileHandle file(ks::sys::CreateFile(target, ks::sys::GENERIC_WRITE, 0, nullptr, ks::sys::CREATE_ALWAYS,
                                          ks::sys::FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      KsLogFormat(kKsLogError, kTag, u"Cannot create %s (error %d)", target.Chars(),
                  static_cast<int>(ks::sys::GetLastError()));
      unzCloseCurrentFile(zip);
      return false;
    }
    std::vector<char> buffer(65536);
    for (;;) {
      const int read = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
      if (read == 0) break;
      ks::sys::DWORD written = 0;
      if (read < 0 ||
          !ks::sys::WriteFile(file.Get(), buffer.data(), static_cast<ks::sys::DWORD>(read), &written, nullptr) ||
          written != static_cast<ks::sys::DWORD>(read)) {
        ok = false;
        break;
      }
    }
  }
  if (unzCloseCurrentFile(zip) != UNZ_OK) ok = false;  // a wrong checksum shows here
  if (!ok) {
    KsLogFormat(kKsLogError, kTag, u"Damaged or unwritable entry %s", target.Chars());
    ks::sys::DeleteFile(target);
  }
  return ok;
}

}  // namespace

bool KsToolsArchive::Unzip(const KsChar* archive, const KsChar* folder, bool keepFolders) {
  if (archive == nullptr || folder == nullptr || *folder == 0) return false;
  KsString base(folder);
  if (!base.EndsWithBackslash()) base += u"\\";
  zlib_filefunc64_def functions{};
  functions.zopen64_file = OpenFile;
  functions.zread_file = ReadFile;
  functions.zwrite_file = WriteFile;
  functions.ztell64_file = TellFile;
  functions.zseek64_file = SeekFile;
  functions.zclose_file = CloseFile;
  functions.zerror_file = TestError;
  unzFile zip = unzOpen2_64(archive, &functions);
  if (zip == nullptr) {
    KsLogFormat(kKsLogError, kTag, u"%s is not a readable zip archive", archive);
    return false;
  }
  bool ok = KsFileSystem::CreateFolder(base);
  if (!ok) KsLogFormat(kKsLogError, kTag, u"Cannot create the folder %s", base.Chars());
  int files = 0;
  for (int status = ok ? unzGoToFirstFile(zip) : UNZ_END_OF_LIST_OF_FILE; ok && status == UNZ_OK;
       status = unzGoToNextFile(zip)) {
    unz_file_info64 info{};
    char rawName[1024];
    if (unzGetCurrentFileInfo64(zip, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0) != UNZ_OK) {
      ok = false;
      break;
    }
    KsString name;
    if ((info.flag & 0x800) != 0) {
      name.FromUtf8(rawName);
    } else {
      name.FromAnsi(rawName);
    }
    KsStringArray parts;
    if (!SafeParts(name, &parts)) {
      KsLogFormat(kKsLogError, kTag, u"Refused entry %s: it leaves the target folder", name.Chars());
      ok = false;
      break;
    }
    if ((info.flag & 1) != 0) {
      KsLogFormat(kKsLogError, kTag, u"Refused entry %s: encrypted", name.Chars());
      ok = false;
      break;
    }
    const bool isFolder = name.EndsWith(u"/", false) == 0 || name.EndsWith(u"\\", false) == 0;
    if (parts.IsEmpty()) continue;
    if (isFolder) {
      if (keepFolders && !CreateFolders(base, parts, parts.GetSize())) ok = false;
      continue;
    }
    KsString target = base;
    if (keepFolders) {
      if (!CreateFolders(base, parts, parts.GetSize() - 1)) {
        ok = false;
        break;
      }
      target += parts.JoinPath();
    } else {
      target += parts[parts.GetSize() - 1];
    }
    if (!ExtractCurrent(zip, target)) ok = false;
    ++files;
  }
  unzClose(zip);
  KsLogFormat(ok ? kKsLogInfo : kKsLogError, kTag, u"Unzipped %d files of %s into %s%s", files, archive, base.Chars(),
              ok ? u"" : u" with errors");
  return ok;
}
