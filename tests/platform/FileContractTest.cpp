// Files and folders: results and last-error codes of the Windows calls.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"

#include <algorithm>
#include <vector>

using namespace ks::sys;

using FileContract = TestMachine;

namespace {
HANDLE Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition) {
  return CreateFile(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

// Each creation disposition against an existing and a missing file.
TEST_F(FileContract, CreateFileDispositions) {
  ASSERT_TRUE(WriteText(Path(u"old.txt"), "old"));
  struct Case {
    const char16_t* name;
    DWORD disposition;
    bool succeeds;
    DWORD error;  // last error after the call
    const char* content;  // of the file afterwards
  } cases[] = {
      {u"old.txt", CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
      {u"old.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
      {u"old.txt", OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
      {u"old.txt", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
      {u"old.txt", TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
      {u"new.txt", CREATE_NEW, true, ERROR_SUCCESS, ""},
      {u"new.txt", CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
      {u"new.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {u"new.txt", OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
      {u"new.txt", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name) + " disposition " + std::to_string(c.disposition));
    ASSERT_TRUE(WriteText(Path(u"old.txt"), "old"));
    DeleteFile(Path(u"new.txt").c_str());
    HANDLE file = Open(Path(c.name), GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    DWORD error = GetLastError();
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.succeeds);
    EXPECT_EQ(error, c.error);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (c.content) {
      EXPECT_EQ(ReadText(Path(c.name)), c.content);
    }
  }
}

TEST_F(FileContract, MissingFolderIsPathNotFound) {
  EXPECT_EQ(Open(Path(u"no\\such.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes(Path(u"no\\such.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes(Path(u"such.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileContract, ReadWriteSeekAndTruncate) {
  HANDLE file = Open(Path(u"data.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
  ASSERT_TRUE(SetEndOfFile(file));
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 4u);
  EXPECT_EQ(high, 0u);
  EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 2u);
  char buffer[8] = {};
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "23");
  // At the end a read succeeds with nothing read.
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  CloseHandle(file);
}

TEST_F(FileContract, HandleOpenedForReadingCannotWrite) {
  ASSERT_TRUE(WriteText(Path(u"a.txt"), "a"));
  HANDLE file = Open(Path(u"a.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_FALSE(WriteFile(file, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(file);
}

TEST_F(FileContract, NamesAreFoundWithoutRegardToCaseAndKeepTheirCase) {
  ASSERT_TRUE(CreateDirectory(Path(u"MixedCase").c_str(), nullptr));
  ASSERT_TRUE(WriteText(Path(u"MixedCase\\ReadMe.TXT"), "hello"));
  EXPECT_EQ(ReadText(Path(u"mixedcase\\README.txt")), "hello");
  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile(Path(u"MIXEDCASE\\readme.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"ReadMe.TXT");
  FindClose(find);
  // Creating with other case opens the same file.
  HANDLE again = Open(Path(u"MIXEDCASE\\README.TXT"), GENERIC_READ, FILE_SHARE_READ, OPEN_ALWAYS);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(again);
}

TEST_F(FileContract, TrailingDotsAndSpacesAreDropped) {
  ASSERT_TRUE(WriteText(Path(u"name.txt. . "), "x"));
  EXPECT_EQ(ReadText(Path(u"name.txt")), "x");
}

// Characters Windows refuses in names.
// A colon before the last segment names a stream of a missing file "a": a
// missing path rather than an invalid name.
TEST_F(FileContract, ReservedCharactersAreInvalidNames) {
  struct Case {
    const char16_t* name;
    DWORD error;
  };
  const Case cases[] = {
      {u"a<b", ERROR_INVALID_NAME}, {u"a>b", ERROR_INVALID_NAME}, {u"a|b", ERROR_INVALID_NAME},
      {u"a\"b", ERROR_INVALID_NAME}, {u"a?b", ERROR_INVALID_NAME}, {u"a*b", ERROR_INVALID_NAME},
      {u"a:b\\c", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.name));
    EXPECT_EQ(Open(Path(c.name), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

TEST_F(FileContract, CopyFileRules) {
  ASSERT_TRUE(WriteText(Path(u"source.txt"), "source"));
  ASSERT_TRUE(WriteText(Path(u"target.txt"), "target"));
  EXPECT_FALSE(CopyFile(Path(u"source.txt").c_str(), Path(u"target.txt").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(ReadText(Path(u"target.txt")), "target");
  EXPECT_TRUE(CopyFile(Path(u"source.txt").c_str(), Path(u"target.txt").c_str(), FALSE));
  EXPECT_EQ(ReadText(Path(u"target.txt")), "source");
  EXPECT_FALSE(CopyFile(Path(u"missing.txt").c_str(), Path(u"x.txt").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CopyFile(Path(u"source.txt").c_str(), Path(u"none\\x.txt").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileContract, CopyKeepsLastWriteTimeAndReadOnly) {
  ASSERT_TRUE(WriteText(Path(u"stamp.txt"), "stamp"));
  HANDLE file = Open(Path(u"stamp.txt"), GENERIC_WRITE, 0, OPEN_EXISTING);
  FILETIME old{0xD53E8000, 0x01BF53EB};  // 2000-01-01
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &old));
  CloseHandle(file);
  ASSERT_TRUE(SetFileAttributes(Path(u"stamp.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CopyFile(Path(u"stamp.txt").c_str(), Path(u"copy.txt").c_str(), TRUE));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesEx(Path(u"copy.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, old.dwLowDateTime);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  SetFileAttributes(Path(u"stamp.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributes(Path(u"copy.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileContract, MoveFileRules) {
  ASSERT_TRUE(WriteText(Path(u"a.txt"), "a"));
  ASSERT_TRUE(WriteText(Path(u"b.txt"), "b"));
  EXPECT_FALSE(MoveFile(Path(u"a.txt").c_str(), Path(u"b.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(MoveFileEx(Path(u"a.txt").c_str(), Path(u"b.txt").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(MoveFileEx(Path(u"a.txt").c_str(), Path(u"b.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText(Path(u"b.txt")), "a");
  EXPECT_EQ(GetFileAttributes(Path(u"a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(MoveFile(Path(u"a.txt").c_str(), Path(u"c.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A rename that only changes case is allowed.
  EXPECT_TRUE(MoveFile(Path(u"b.txt").c_str(), Path(u"B.TXT").c_str()));
  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile(Path(u"b.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"B.TXT");
  FindClose(find);
  // Folders move too.
  ASSERT_TRUE(CreateDirectory(Path(u"dir").c_str(), nullptr));
  EXPECT_TRUE(MoveFile(Path(u"dir").c_str(), Path(u"dir2").c_str()));
  EXPECT_EQ(GetFileAttributes(Path(u"dir2").c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FileContract, ReadOnlyFileRefusesDeletionAndReplacement) {
  ASSERT_TRUE(WriteText(Path(u"locked.txt"), "keep"));
  ASSERT_TRUE(WriteText(Path(u"other.txt"), "other"));
  ASSERT_TRUE(SetFileAttributes(Path(u"locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFile(Path(u"locked.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CopyFile(Path(u"other.txt").c_str(), Path(u"locked.txt").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(Path(u"locked.txt"), GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadText(Path(u"locked.txt")), "keep");
  ASSERT_TRUE(SetFileAttributes(Path(u"locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFile(Path(u"locked.txt").c_str()));
}

TEST_F(FileContract, AttributesRoundTrip) {
  ASSERT_TRUE(WriteText(Path(u"f.txt"), "f"));
  EXPECT_EQ(GetFileAttributes(Path(u"f.txt").c_str()), FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(SetFileAttributes(Path(u"f.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(GetFileAttributes(Path(u"f.txt").c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(SetFileAttributes(Path(u"f.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributes(Path(u"f.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(GetFileAttributes(Root().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// Sharing: a second open must be compatible with every earlier handle.
TEST_F(FileContract, ShareModes) {
  ASSERT_TRUE(WriteText(Path(u"s.txt"), "s"));
  struct Case {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
  } cases[] = {
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ, false},
      {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_WRITE, FILE_SHARE_WRITE, false},
      {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},
      {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {GENERIC_READ, 0, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.firstAccess << "/" << c.firstShare << " then "
                                    << c.secondAccess << "/" << c.secondShare);
    HANDLE first = Open(Path(u"s.txt"), c.firstAccess, c.firstShare, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open(Path(u"s.txt"), c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second == INVALID_HANDLE_VALUE)
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    else
      CloseHandle(second);
    CloseHandle(first);
  }
}

TEST_F(FileContract, OpenFileRefusesDeleteMoveAndReplace) {
  ASSERT_TRUE(WriteText(Path(u"busy.txt"), "busy"));
  ASSERT_TRUE(WriteText(Path(u"new.txt"), "new"));
  HANDLE file = Open(Path(u"busy.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFile(Path(u"busy.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFile(Path(u"busy.txt").c_str(), Path(u"moved.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(CopyFile(Path(u"new.txt").c_str(), Path(u"busy.txt").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  // Replacing an open file by renaming is refused as access, not sharing.
  EXPECT_FALSE(MoveFileEx(Path(u"new.txt").c_str(), Path(u"busy.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(file);
  EXPECT_TRUE(CopyFile(Path(u"new.txt").c_str(), Path(u"busy.txt").c_str(), FALSE));
  EXPECT_TRUE(DeleteFile(Path(u"busy.txt").c_str()));
}

TEST_F(FileContract, Folders) {
  ASSERT_TRUE(CreateDirectory(Path(u"d").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectory(Path(u"d").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectory(Path(u"x\\y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(WriteText(Path(u"d\\f.txt"), "f"));
  EXPECT_FALSE(RemoveDirectory(Path(u"d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(RemoveDirectory(Path(u"d\\f.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  EXPECT_FALSE(DeleteFile(Path(u"d").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(RemoveDirectory(Path(u"gone").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(DeleteFile(Path(u"d\\f.txt").c_str()));
  EXPECT_TRUE(RemoveDirectory(Path(u"d").c_str()));
}

// Wildcards in the last segment; results in name order on the simulated machine.
TEST_F(FileContract, FindWithWildcards) {
  for (auto name : {u"a.txt", u"b.TXT", u"c.dat", u"noext", u"ab.txt.bak"}) ASSERT_TRUE(WriteText(Path(name), "x"));
  ASSERT_TRUE(CreateDirectory(Path(u"sub").c_str(), nullptr));
  struct Case {
    const char16_t* pattern;
    std::vector<std::u16string> names;
  } cases[] = {
      {u"*.txt", {u"a.txt", u"b.TXT"}},
      {u"?.t*", {u"a.txt", u"b.TXT"}},
      {u"*", {u".", u"..", u"a.txt", u"ab.txt.bak", u"b.TXT", u"c.dat", u"noext", u"sub"}},
      {u"*.*", {u".", u"..", u"a.txt", u"ab.txt.bak", u"b.TXT", u"c.dat", u"noext", u"sub"}},
      {u"a*", {u"a.txt", u"ab.txt.bak"}},
      {u"noext", {u"noext"}},
      {u"*.none", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.pattern));
    WIN32_FIND_DATA data;
    HANDLE find = FindFirstFile(Path(c.pattern).c_str(), &data);
    std::vector<std::u16string> found;
    if (find != INVALID_HANDLE_VALUE) {
      do found.push_back(data.cFileName);
      while (FindNextFile(find, &data));
      EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
      FindClose(find);
    } else {
      EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::u16string> expected = c.names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
  }
  WIN32_FIND_DATA data;
  EXPECT_EQ(FindFirstFile(Path(u"missing\\*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileContract, FindReportsSizeAndFolderAttribute) {
  ASSERT_TRUE(WriteText(Path(u"five.txt"), "12345"));
  ASSERT_TRUE(CreateDirectory(Path(u"folder").c_str(), nullptr));
  WIN32_FIND_DATA data;
  HANDLE find = FindFirstFile(Path(u"five.txt").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  FindClose(find);
  find = FindFirstFile(Path(u"folder").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  FindClose(find);
}

TEST_F(FileContract, DiskFreeSpaceShrinksAsFilesGrow) {
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceEx(Root().c_str(), &available, &total, &free));
  EXPECT_GT(total.QuadPart, 0u);
  EXPECT_LE(free.QuadPart, total.QuadPart);
  // A missing folder is a missing path, whether its last part or one before
  // it is missing.
  for (auto missing : {u"nowhere\\", u"nowhere", u"nowhere\\deeper\\"}) {
    SCOPED_TRACE(Narrow(missing));
    EXPECT_FALSE(GetDiskFreeSpaceEx(Path(missing).c_str(), &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  }
}

TEST_F(FileContract, TooLongPathsFailWithoutThePrefixAndWorkWithIt) {
  std::u16string deep = Root();
  for (int i = 0; i < 30; ++i) deep += u"\\segment" + std::u16string(1, char16_t(u'a' + i % 26));
  EXPECT_EQ(Open(deep, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  std::u16string path = u"\\\\?\\" + Root();
  for (int i = 0; i < 30; ++i) {
    path += u"\\segment" + std::u16string(1, char16_t(u'a' + i % 26));
    ASSERT_TRUE(CreateDirectory(path.c_str(), nullptr)) << i;
  }
  EXPECT_TRUE(WriteText(path + u"\\file.txt", "deep"));
  EXPECT_EQ(ReadText(path + u"\\file.txt"), "deep");
}
