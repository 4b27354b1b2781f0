#include <gtest/gtest.h>

#include "plug/plug_ptr.h"
#include "tests/frame/test_components.h"

namespace {

CountedComponent* NewCounted() {
  CountedComponent::nextInit = CountedComponent::Init::Succeed;
  return static_cast<CountedComponent*>(CountedComponent::Make());
}

TEST(PlugPtr, ReceivingACreatedComponentOwnsItsOnlyReference) {
  AutoReg reg("Counted", &CountedComponent::Make);
  const int before = CountedComponent::alive;
  {
    PlugPtr<CountedComponent> ptr;
    ASSERT_TRUE(CreateInto(ptr, "Counted"));
    EXPECT_EQ(ptr->Refs(), 1);
    EXPECT_EQ(CountedComponent::alive, before + 1);
  }
  EXPECT_EQ(CountedComponent::alive, before) << "destroying the pointer must destroy the component";

  PlugPtr<CountedComponent> missing;
  EXPECT_FALSE(CreateInto(missing, "Unregistered"));
  EXPECT_TRUE(missing.IsEmpty());
}

TEST(PlugPtr, AssignmentMovesExactlyOneReference) {
  const int before = CountedComponent::alive;
  CountedComponent* a = NewCounted();
  CountedComponent* b = NewCounted();
  {
    PlugPtr<CountedComponent> first(a);  // adds a reference
    EXPECT_EQ(a->Refs(), 2);
    PlugPtr<CountedComponent> copy(first);
    EXPECT_EQ(a->Refs(), 3);
    EXPECT_EQ(copy = b, b);
    EXPECT_EQ(a->Refs(), 2);
    EXPECT_EQ(b->Refs(), 2);
    copy = first;
    EXPECT_EQ(a->Refs(), 3);
    EXPECT_EQ(b->Refs(), 1);
    EXPECT_EQ(copy = nullptr, nullptr);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(copy.Get(), nullptr);
    EXPECT_EQ(a->Refs(), 2);
  }
  a->Release();
  b->Release();
  EXPECT_EQ(CountedComponent::alive, before);
}

TEST(PlugPtr, AssigningTheHeldObjectKeepsItAlive) {
  const int before = CountedComponent::alive;
  PlugPtr<CountedComponent> ptr;
  *ptr.Receive() = NewCounted();
  CountedComponent* held = ptr.Get();
  ptr = held;  // the only reference is the pointer's own
  ASSERT_EQ(CountedComponent::alive, before + 1);
  EXPECT_EQ(ptr->Refs(), 1);
  // Through a reference, as real self-assignments come about.
  const PlugPtr<CountedComponent>& same = ptr;
  ptr = same;
  EXPECT_EQ(ptr->Refs(), 1);
  ptr = nullptr;
  EXPECT_EQ(CountedComponent::alive, before);
}

TEST(PlugPtrDeathTest, BrokenPreconditionsStopWithTheAssertionReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        PlugPtr<CountedComponent> ptr(NewCounted());
        ptr.Receive();
      },
      "^Assertion failed: p==NULL, file plug_auto_ptr, line 65\n");
  EXPECT_DEATH(
      {
        PlugPtr<CountedComponent> empty;
        empty->Refs();
      },
      "^Assertion failed: p!=NULL, file plug_auto_ptr, line 70\n");
}

}  // namespace
