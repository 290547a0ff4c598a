// The Windows side of the fixture: the real machine. Each test gets a fresh
// scratch folder under the user's temporary folder and a fresh scratch key,
// both removed afterwards; the helper program and module are the ones built
// beside the test programs. Everything goes through ks::sys, as in the tests.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysProcess.h"
#include "platform/SysRegistry.h"

#include <string>

using namespace ks;

namespace {

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Removes a folder and everything below it, read-only files included.
void RemoveTree(const std::u16string& folder) {
  sys::WIN32_FIND_DATA data;
  sys::HANDLE find = sys::FindFirstFile((folder + u"\\*").c_str(), &data);
  if (find != sys::INVALID_HANDLE_VALUE) {
    do {
      const std::u16string name = data.cFileName;
      if (name == u"." || name == u"..") continue;
      const std::u16string path = folder + u"\\" + name;
      if (data.dwFileAttributes & sys::FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        sys::SetFileAttributes(path.c_str(), sys::FILE_ATTRIBUTE_NORMAL);
        sys::DeleteFile(path.c_str());
      }
    } while (sys::FindNextFile(find, &data));
    sys::FindClose(find);
  }
  sys::SetFileAttributes(folder.c_str(), sys::FILE_ATTRIBUTE_NORMAL);
  sys::RemoveDirectory(folder.c_str());
}

// Removes a key of HKEY_CURRENT_USER and every key below it.
void RemoveKeyTree(const std::u16string& keyPath) {
  sys::HKEY key = nullptr;
  if (sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, keyPath.c_str(), 0, sys::KEY_ALL_ACCESS, &key) != 0) return;
  for (;;) {
    sys::WCHAR name[256];
    sys::DWORD length = 256;
    if (sys::RegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != 0) break;
    RemoveKeyTree(keyPath + u"\\" + name);
  }
  sys::RegCloseKey(key);
  sys::RegDeleteKey(sys::HKEY_CURRENT_USER, keyPath.c_str());
}

std::u16string ProgramFolder() {
  sys::WCHAR path[sys::MAX_PATH];
  const sys::DWORD length = sys::GetModuleFileName(nullptr, path, sys::MAX_PATH);
  std::u16string folder(path, length);
  return folder.substr(0, folder.rfind(u'\\'));
}

std::u16string InstallBesideFile(const std::u16string& windowsPath, const wchar_t* fileName) {
  std::u16string source = ProgramFolder() + u"\\";
  for (const wchar_t* c = fileName; *c; ++c) source += char16_t(*c);
  sys::CopyFile(source.c_str(), windowsPath.c_str(), sys::FALSE);
  return windowsPath;
}

}  // namespace

std::string Narrow(const std::u16string& text) {
  std::string utf8;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      utf8 += char(c);
    } else if (c < 0x800) {
      utf8 += char(0xC0 | (c >> 6));
      utf8 += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      utf8 += char(0xE0 | (c >> 12));
      utf8 += char(0x80 | ((c >> 6) & 0x3F));
      utf8 += char(0x80 | (c & 0x3F));
    } else {
      utf8 += char(0xF0 | (c >> 18));
      utf8 += char(0x80 | ((c >> 12) & 0x3F));
      utf8 += char(0x80 | ((c >> 6) & 0x3F));
      utf8 += char(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

void TestMachine::SetUp() {
  static int s_tests = 0;
  sys::WCHAR temp[sys::MAX_PATH];
  const sys::DWORD length = sys::GetTempPath(sys::MAX_PATH, temp);
  ASSERT_GT(length, 0u);
  m_root = std::u16string(temp, length) + u"KsTest-" + Widen(std::to_string(sys::GetCurrentProcessId())) + u"-" +
           Widen(std::to_string(++s_tests));
  RemoveTree(m_root);
  ASSERT_TRUE(sys::CreateDirectory(m_root.c_str(), nullptr)) << sys::GetLastError();
  m_keyPath = u"Software\\KestruneTest";
  RemoveKeyTree(m_keyPath);
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegCreateKeyEx(sys::HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, sys::KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
            0);
  sys::RegCloseKey(key);
}

void TestMachine::TearDown() {
  RemoveTree(m_root);
  RemoveKeyTree(m_keyPath);
}

std::u16string TestMachine::ChildProgram() { return InstallBesideFile(Path(u"child.exe"), KS_TEST_CHILD_NAME); }
std::u16string TestMachine::TestModule() { return InstallBesideFile(Path(u"module.dll"), KS_TEST_MODULE_NAME); }
