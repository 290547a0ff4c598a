#include "toolkit/KsSubfolders.h"

#include "foundation/KsHandle.h"
#include "foundation/KsTools.h"

using namespace ks::sys;

std::vector<KsString> KsListSubfolders(const KsChar* folder) {
  std::vector<KsString> names;
  KsString pattern(folder ? folder : u"");
  if (pattern.IsEmpty()) return names;
  if (pattern[pattern.GetLength() - 1] != u'\\') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATA found{};
  KsFindHandle find(FindFirstFile(pattern, &found));
  if (!find) {
    KsLogFormat(2, u"Folders", u"Cannot list %s (error %u)", pattern.Chars(), unsigned(GetLastError()));
    return names;
  }
  do {
    KsString name(found.cFileName);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.Equals(u".") || name.Equals(u"..")) continue;
    name += u'\\';
    names.push_back(name);
  } while (FindNextFile(find.Get(), &found));
  return names;
}
