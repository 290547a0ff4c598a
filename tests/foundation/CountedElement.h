#pragma once
// Test element that counts live instances and marks destroyed ones, so a
// container test sees leaks (live count stays up) and double destruction.

#include <gtest/gtest.h>

struct CountedElement {
  static constexpr int kAlive = 0x5A5A5A5A;
  static constexpr int kDead = -0x2B2B2B2B;
  static inline int s_live = 0;

  int value = 0;
  int state = kAlive;

  CountedElement() { ++s_live; }
  CountedElement(int v) : value(v) { ++s_live; }  // NOLINT: tables of plain numbers
  CountedElement(const CountedElement& other) : value(other.value) {
    EXPECT_EQ(other.state, kAlive) << "copied from a destroyed element";
    ++s_live;
  }
  CountedElement& operator=(const CountedElement& other) {
    EXPECT_EQ(state, kAlive) << "assigned to a destroyed element";
    value = other.value;
    return *this;
  }
  ~CountedElement() {
    EXPECT_EQ(state, kAlive) << "destroyed twice";
    state = kDead;
    --s_live;
  }
  bool operator==(const CountedElement& other) const { return value == other.value; }
};

// An owned object that reports its deletion.
struct DeleteProbe {
  static inline int s_deleted = 0;
  int id;
  explicit DeleteProbe(int i) : id(i) {}
  virtual ~DeleteProbe() { ++s_deleted; }
};

// Every test in a fixture derived from this starts and must end with no live elements.
class CountedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CountedElement::s_live = 0;
    DeleteProbe::s_deleted = 0;
  }
  void TearDown() override { EXPECT_EQ(CountedElement::s_live, 0) << "elements leaked or destroyed twice"; }
};
