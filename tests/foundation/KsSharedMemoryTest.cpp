#include "foundation/KsSharedMemory.h"

#include <cstring>
#include <utility>

#include "TestMachine.h"

using KsSharedMemoryTest = TestMachine;

// Two objects of one name see one block; the first creates it zeroed.
TEST_F(KsSharedMemoryTest, SameNameSharesOneZeroedBlock) {
  KsSharedMemory first;
  ASSERT_TRUE(first.Create(u"Ks Shared Test", 4096));
  EXPECT_FALSE(first.AlreadyExisted());
  const auto* bytes = static_cast<const unsigned char*>(first.GetData());
  for (int index = 0; index < 4096; ++index) ASSERT_EQ(bytes[index], 0) << "byte " << index;
  std::memcpy(first.GetData(), "KsPS", 4);

  KsSharedMemory second;
  ASSERT_TRUE(second.Create(u"Ks Shared Test", 4096));
  EXPECT_TRUE(second.AlreadyExisted());
  EXPECT_EQ(std::memcmp(second.GetData(), "KsPS", 4), 0);

  KsSharedMemory opened;
  ASSERT_TRUE(opened.Open(u"Ks Shared Test", 4096));
  static_cast<char*>(opened.GetData())[4095] = 'x';
  EXPECT_EQ(static_cast<const char*>(first.GetData())[4095], 'x');
}

TEST_F(KsSharedMemoryTest, OpeningAMissingBlockFailsAndStaysClosed) {
  KsSharedMemory memory;
  EXPECT_FALSE(memory.Open(u"Ks Nobody Made This", 64));
  EXPECT_FALSE(memory.IsOpen());
  EXPECT_EQ(memory.GetData(), nullptr);
}

// Moving hands over the one view and mapping: each is released exactly once
// (the fixture fails the test on a leaked or doubly closed handle).
TEST_F(KsSharedMemoryTest, MoveTransfersOwnership) {
  KsSharedMemory first;
  ASSERT_TRUE(first.Create(u"Ks Shared Move", 128));
  void* data = first.GetData();
  KsSharedMemory second(std::move(first));
  EXPECT_FALSE(first.IsOpen());
  EXPECT_EQ(second.GetData(), data);
  KsSharedMemory third;
  ASSERT_TRUE(third.Create(u"Ks Shared Other", 128));
  third = std::move(second);
  EXPECT_EQ(third.GetData(), data);
  EXPECT_EQ(third.GetSize(), 128u);
  third.Close();
  EXPECT_FALSE(third.IsOpen());
}
