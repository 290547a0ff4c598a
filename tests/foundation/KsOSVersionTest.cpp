#include "foundation/KsOSVersion.h"

#include <gtest/gtest.h>

// What the version query answers becomes a code ordered by release and a name.
TEST(KsOSVersion, IdentifyTable) {
  struct Case {
    bool queried;
    unsigned platform, major, minor;
    const KsChar* servicePack;
    int code;
    const KsChar* name;
  } cases[] = {
      {true, 1, 4, 0, u"", 1000, u"Microsoft Windows 95"},
      {true, 1, 4, 10, u"", 1001, u"Microsoft Windows 98"},
      {true, 1, 4, 10, u" A", 1002, u"Microsoft Windows 98"},
      {true, 1, 4, 90, nullptr, 1003, u"Microsoft Windows ME"},
      {true, 1, 5, 0, nullptr, 0, u"Unknown OS"},
      {true, 2, 3, 51, nullptr, 1004, u"Microsoft Windows NT"},
      {true, 2, 5, 0, u"Service Pack 4", 1005, u"Microsoft Windows 2000"},
      {true, 2, 5, 1, nullptr, 1006, u"Microsoft Windows XP"},
      {true, 2, 5, 2, nullptr, 1007, u"Microsoft Windows Server 2003"},
      {true, 2, 5, 3, nullptr, 0, u"Unknown OS"},
      {true, 2, 6, 0, nullptr, 1008, u"Microsoft Windows Vista"},
      {true, 2, 6, 1, nullptr, 1009, u"Microsoft Windows 7"},
      {true, 2, 6, 2, nullptr, 1010, u"Microsoft Windows 8"},
      {true, 2, 6, 3, nullptr, 1011, u"Microsoft Windows 8.1"},
      {true, 2, 6, 4, nullptr, 1013, u"Microsoft Windows New (6.4)"},
      {true, 2, 7, 2, nullptr, 1013, u"Microsoft Windows New (7.2)"},
      {true, 2, 10, 0, nullptr, 1012, u"Microsoft Windows 10"},
      {true, 2, 10, 1, nullptr, 1013, u"Microsoft Windows New (10.1)"},
      {true, 2, 11, 0, nullptr, 1013, u"Microsoft Windows New (11.0)"},
      {true, 3, 10, 0, nullptr, 0, u"Unknown OS"},
      {false, 2, 10, 0, nullptr, 0, u"Unknown OS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.platform << " " << c.major << "." << c.minor);
    const KsOSVersion identity = KsOSVersion::Identify(c.queried, c.platform, c.major, c.minor, c.servicePack);
    EXPECT_EQ(identity.Code(), c.code);
    EXPECT_EQ(identity.Name(), c.name);
  }
}
