// Delayed file operations as Windows records them, the restart that carries
// them out, RunOnce, and snapshots.

#include "TestMachine.h"

#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysRegistry.h"
#include "platform/sim/SimControl.h"

#include <algorithm>
#include <cstring>

using namespace ks;

class SimReboot : public TestMachine {
 protected:
  // The raw REG_MULTI_SZ of PendingFileRenameOperations.
  std::u16string PendingRenames() {
    sys::HKEY key = nullptr;
    EXPECT_EQ(sys::RegOpenKeyEx(sys::HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                                sys::KEY_READ, &key),
              0);
    sys::DWORD type = 0, size = 0;
    if (sys::RegQueryValueEx(key, u"PendingFileRenameOperations", nullptr, &type, nullptr, &size)) {
      sys::RegCloseKey(key);
      return u"<none>";
    }
    std::u16string data(size / 2, u'\0');
    sys::RegQueryValueEx(key, u"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<sys::BYTE*>(data.data()),
                         &size);
    sys::RegCloseKey(key);
    EXPECT_EQ(type, sys::REG_MULTI_SZ);
    return data;
  }
  void SetRunOnce(sys::HKEY root, const std::u16string& name, const std::u16string& command) {
    sys::HKEY key = nullptr;
    ASSERT_EQ(sys::RegCreateKeyEx(root, u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0, nullptr, 0,
                                  sys::KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    ASSERT_EQ(sys::RegSetValueEx(key, name.c_str(), 0, sys::REG_SZ, reinterpret_cast<const sys::BYTE*>(command.c_str()),
                                 sys::DWORD((command.size() + 1) * 2)),
              0);
    sys::RegCloseKey(key);
  }
};

// Pairs of \??\ paths as the caller spelled them, an empty target for a
// deletion, "!" for replacement.
TEST_F(SimReboot, DelayedOperationsAreRecordedAsWindowsRecordsThem) {
  ASSERT_TRUE(WriteText(Path(u"new.dll"), "new"));
  ASSERT_TRUE(WriteText(Path(u"old.dll"), "old"));
  ASSERT_TRUE(sys::MoveFileEx(Path(u"new.dll").c_str(), Path(u"target.dll").c_str(), sys::MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_TRUE(sys::MoveFileEx(Path(u"NEW.dll").c_str(), Path(u"old.dll").c_str(),
                              sys::MOVEFILE_DELAY_UNTIL_REBOOT | sys::MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(sys::MoveFileEx(Path(u"old.dll").c_str(), nullptr, sys::MOVEFILE_DELAY_UNTIL_REBOOT));
  const std::u16string expected(
      u"\\??\\C:\\KsTest\\new.dll\0\\??\\C:\\KsTest\\target.dll\0"
      u"\\??\\C:\\KsTest\\NEW.dll\0!\\??\\C:\\KsTest\\old.dll\0"
      u"\\??\\C:\\KsTest\\old.dll\0\0\0",
      sizeof(u"\\??\\C:\\KsTest\\new.dll\0\\??\\C:\\KsTest\\target.dll\0"
             u"\\??\\C:\\KsTest\\NEW.dll\0!\\??\\C:\\KsTest\\old.dll\0"
             u"\\??\\C:\\KsTest\\old.dll\0\0\0") / 2 - 1);
  EXPECT_EQ(PendingRenames(), expected);
  EXPECT_EQ(ReadText(Path(u"new.dll")), "new");  // nothing happens before the restart
  EXPECT_FALSE(sys::MoveFileEx(Path(u"a").c_str(), Path(u"b").c_str(),
                               sys::MOVEFILE_DELAY_UNTIL_REBOOT | sys::MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(sys::GetLastError(), sys::ERROR_INVALID_PARAMETER);
}

TEST_F(SimReboot, RestartCarriesOutRenamesInOrderThenRunOnce) {
  ASSERT_TRUE(WriteText(Path(u"update.dll"), "v2"));
  ASSERT_TRUE(WriteText(Path(u"app.dll"), "v1"));
  ASSERT_TRUE(WriteText(Path(u"stale.tmp"), "x"));
  ASSERT_TRUE(sim::LockFile(Path(u"app.dll")));
  EXPECT_FALSE(sys::MoveFileEx(Path(u"update.dll").c_str(), Path(u"app.dll").c_str(), sys::MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(sys::MoveFileEx(Path(u"update.dll").c_str(), Path(u"app.dll").c_str(),
                              sys::MOVEFILE_DELAY_UNTIL_REBOOT | sys::MOVEFILE_REPLACE_EXISTING));
  ASSERT_TRUE(sys::MoveFileEx(Path(u"stale.tmp").c_str(), nullptr, sys::MOVEFILE_DELAY_UNTIL_REBOOT));
  std::u16string child = ChildProgram();
  SetRunOnce(sys::HKEY_LOCAL_MACHINE, u"Finish", u"\"" + child + u"\" write " + Path(u"machine.txt") + u" ran");
  SetRunOnce(sys::HKEY_CURRENT_USER, u"User", u"\"" + child + u"\" write " + Path(u"user.txt") + u" ran");
  ASSERT_TRUE(sim::UnlockFile(Path(u"app.dll")));  // the restart ends every program

  std::vector<std::string> log;
  std::string error;
  ASSERT_TRUE(sim::Reboot(&log, &error)) << error;
  EXPECT_EQ(ReadText(Path(u"app.dll")), "v2");
  EXPECT_EQ(sys::GetFileAttributes(Path(u"update.dll").c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(sys::GetFileAttributes(Path(u"stale.tmp").c_str()), sys::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(PendingRenames(), u"<none>");
  EXPECT_EQ(ReadText(Path(u"machine.txt")), "ran");
  EXPECT_EQ(ReadText(Path(u"user.txt")), "ran");
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "move C:\\KsTest\\update.dll -> C:\\KsTest\\app.dll");
  EXPECT_EQ(log[1], "delete C:\\KsTest\\stale.tmp");
  // RunOnce entries are gone afterwards.
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                              sys::KEY_READ, &key),
            0);
  sys::DWORD values = 9;
  sys::RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                       nullptr);
  EXPECT_EQ(values, 0u);
  sys::RegCloseKey(key);
}

TEST_F(SimReboot, SnapshotDiffListsFilesAndValues) {
  ASSERT_TRUE(WriteText(Path(u"keep.txt"), "same"));
  ASSERT_TRUE(WriteText(Path(u"change.txt"), "before"));
  ASSERT_TRUE(WriteText(Path(u"remove.txt"), "gone"));
  std::string before, after, error;
  ASSERT_TRUE(sim::TakeSnapshot(&before, &error)) << error;
  ASSERT_TRUE(WriteText(Path(u"change.txt"), "after"));
  ASSERT_TRUE(sys::DeleteFile(Path(u"remove.txt").c_str()));
  ASSERT_TRUE(WriteText(Path(u"add.txt"), "new"));
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, KeyPath().c_str(), 0, sys::KEY_ALL_ACCESS, &key), 0);
  sys::DWORD one = 1;
  ASSERT_EQ(sys::RegSetValueEx(key, u"Installed", 0, sys::REG_DWORD, reinterpret_cast<sys::BYTE*>(&one), 4), 0);
  sys::RegCloseKey(key);
  ASSERT_TRUE(sim::TakeSnapshot(&after, &error)) << error;
  std::vector<std::string> expected = {
      "+ file C:\\KsTest\\add.txt",
      "* file C:\\KsTest\\change.txt",
      "- file C:\\KsTest\\remove.txt",
      "+ value HKEY_CURRENT_USER\\Software\\KestruneTest\\Installed",
  };
  EXPECT_EQ(sim::DiffSnapshots(before, after), expected);
  EXPECT_TRUE(sim::DiffSnapshots(after, after).empty());
}

TEST_F(SimReboot, ExportIsRegeditText) {
  sys::HKEY key = nullptr;
  ASSERT_EQ(sys::RegOpenKeyEx(sys::HKEY_CURRENT_USER, KeyPath().c_str(), 0, sys::KEY_ALL_ACCESS, &key), 0);
  const std::u16string path = u"C:\\Program Files\\\"Auralis\"";
  sys::RegSetValueEx(key, nullptr, 0, sys::REG_SZ, reinterpret_cast<const sys::BYTE*>(path.c_str()),
                     sys::DWORD((path.size() + 1) * 2));
  sys::DWORD value = 0x2A;
  sys::RegSetValueEx(key, u"Count", 0, sys::REG_DWORD, reinterpret_cast<sys::BYTE*>(&value), 4);
  const char16_t multi[] = u"a\0b\0";
  sys::RegSetValueEx(key, u"List", 0, sys::REG_MULTI_SZ, reinterpret_cast<const sys::BYTE*>(multi), 10);
  sys::RegCloseKey(key);
  std::string text, error;
  ASSERT_TRUE(sim::ExportRegistry(u"HKEY_CURRENT_USER\\Software\\KestruneTest", &text, &error)) << error;
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\KestruneTest]\r\n"
            "@=\"C:\\\\Program Files\\\\\\\"Auralis\\\"\"\r\n"
            "\"Count\"=dword:0000002a\r\n"
            "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n");
}
