#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plug/plug_table.h"
#include "tests/frame/test_components.h"

namespace {

I_Plug* FactoryA() {
  return nullptr;
}
I_Plug* FactoryB() {
  return nullptr;
}
I_Plug* FactoryC() {
  return nullptr;
}

std::string SlotName() {
  return PlugMappingName(static_cast<uint32_t>(getpid()));
}

// Every test starts and ends in a process without a table.
class PlugTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(OpenPlugTable(), nullptr); }
  void TearDown() override { EXPECT_EQ(OpenPlugTable(), nullptr) << "a test left the table behind"; }
};

TEST(PlugMappingName, IsTheProcessIdFollowedByTheTableName) {
  EXPECT_EQ(PlugMappingName(1234), "1234Plug3.0");
  EXPECT_EQ(PlugMappingName(1234).size(), 11u);
  EXPECT_EQ(PlugMappingName(0), "0Plug3.0");
  EXPECT_EQ(PlugMappingName(4294967295u), "4294967295Plug3.0");
  char buffer[kPlugNameSize];
  std::memset(buffer, 'x', sizeof buffer);
  BuildPlugMappingName(7, buffer);
  for (size_t i = std::strlen(buffer); i < sizeof buffer; ++i) {
    EXPECT_EQ(buffer[i], '\0') << "byte " << i << " is not zeroed";
  }
}

TEST_F(PlugTableTest, FirstRegistrationCreatesTheTableAndLaterOnesAppend) {
  {
    AutoReg first("First", &FactoryA);
    EXPECT_TRUE(first.Owner());
    PlugModuleManage* table = OpenPlugTable();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->count, 1);
    EXPECT_STREQ(table->entries[0].name, "First");
    EXPECT_EQ(table->entries[0].factory, &FactoryA);
    {
      AutoReg second("Second", &FactoryB);
      EXPECT_FALSE(second.Owner());
      EXPECT_EQ(OpenPlugTable(), table) << "a second module must join the table, not make one";
      ASSERT_EQ(table->count, 2);
      EXPECT_STREQ(table->entries[1].name, "Second");
    }
    EXPECT_EQ(table->count, 1);
    EXPECT_EQ(FindPlugEntry(table, "Second"), nullptr);
  }
  EXPECT_EQ(CreateComponent("First"), nullptr);
}

TEST_F(PlugTableTest, DuplicateNamesFindAndRemoveTheEarlierEntry) {
  auto earlier = std::make_unique<AutoReg>("Dup", &FactoryA);
  testing::internal::CaptureStderr();
  auto later = std::make_unique<AutoReg>("Dup", &FactoryB);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Plug3.0: \"Dup\" is registered twice; the first registration is used\n");
  PlugModuleManage* table = OpenPlugTable();
  EXPECT_EQ(FindPlugEntry(table, "Dup")->factory, &FactoryA);
  later.reset();
  ASSERT_EQ(table->count, 1);
  EXPECT_EQ(FindPlugEntry(table, "Dup")->factory, &FactoryB) << "the later registrar removes the first match";
  earlier.reset();
}

TEST(PlugEntries, RemovingKeepsTheOrderOfTheRest) {
  auto table = std::make_unique<PlugModuleManage>();
  table->count = 3;
  const char* names[] = {"zero", "one", "two"};
  PlugFactory factories[] = {&FactoryA, &FactoryB, &FactoryC};
  for (int i = 0; i < 3; ++i) {
    std::strcpy(table->entries[i].name, names[i]);
    table->entries[i].factory = factories[i];
  }
  RemovePlugEntry(table.get(), "absent");
  EXPECT_EQ(table->count, 3);
  RemovePlugEntry(table.get(), "zero");
  ASSERT_EQ(table->count, 2);
  EXPECT_STREQ(table->entries[0].name, "one");
  EXPECT_EQ(table->entries[0].factory, &FactoryB);
  EXPECT_STREQ(table->entries[1].name, "two");
  EXPECT_EQ(table->entries[1].factory, &FactoryC);
  RemovePlugEntry(table.get(), "two");
  ASSERT_EQ(table->count, 1);
  EXPECT_STREQ(table->entries[0].name, "one");
}

TEST_F(PlugTableTest, NamesAreComparedWholeAndUpToThirtyOneCharacters) {
  const std::string longest(31, 'n');
  const std::string tooLong(32, 'n');
  testing::internal::CaptureStderr();
  AutoReg fits(longest.c_str(), &FactoryA);
  AutoReg refused(tooLong.c_str(), &FactoryB);
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fits.Registered());
  EXPECT_FALSE(refused.Registered());
  EXPECT_NE(diagnostics.find(tooLong), std::string::npos) << diagnostics;
  PlugModuleManage* table = OpenPlugTable();
  EXPECT_EQ(table->count, 1);
  EXPECT_NE(FindPlugEntry(table, longest.c_str()), nullptr);
  EXPECT_EQ(FindPlugEntry(table, longest.substr(0, 30).c_str()), nullptr);
  EXPECT_EQ(FindPlugEntry(table, (longest + "x").c_str()), nullptr);
  EXPECT_EQ(FindPlugEntry(table, "N"), nullptr);
  EXPECT_EQ(CreateComponent(tooLong.c_str()), nullptr);
}

TEST_F(PlugTableTest, AFullTableRefusesInsteadOfWritingPastItsEnd) {
  std::vector<std::unique_ptr<AutoReg>> registrars;
  for (int i = 0; i < kPlugTableCapacity; ++i) {
    registrars.push_back(std::make_unique<AutoReg>(("C" + std::to_string(i)).c_str(), &FactoryA));
    ASSERT_TRUE(registrars.back()->Registered()) << i;
  }
  testing::internal::CaptureStderr();
  AutoReg extra("Extra", &FactoryB);
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(extra.Registered());
  EXPECT_NE(diagnostics.find("Extra"), std::string::npos) << diagnostics;
  PlugModuleManage* table = OpenPlugTable();
  EXPECT_EQ(table->count, kPlugTableCapacity);
  EXPECT_EQ(FindPlugEntry(table, "Extra"), nullptr);
  registrars.clear();
}

TEST_F(PlugTableTest, ARefusedRegistrarDoesNotRemoveAnotherModulesEntry) {
  std::vector<std::unique_ptr<AutoReg>> registrars;
  for (int i = 0; i < kPlugTableCapacity; ++i) {
    registrars.push_back(
        std::make_unique<AutoReg>(i == 0 ? "Shared" : ("C" + std::to_string(i)).c_str(), &FactoryA));
  }
  testing::internal::CaptureStderr();
  { AutoReg refused("Shared", &FactoryB); }
  testing::internal::GetCapturedStderr();
  EXPECT_NE(FindPlugEntry(OpenPlugTable(), "Shared"), nullptr);
  registrars.clear();
}

TEST_F(PlugTableTest, TheTableOutlivesItsCreatorWhileOthersStillUseIt) {
  CountedComponent::nextInit = CountedComponent::Init::Succeed;
  auto owner = std::make_unique<AutoReg>("Owner", &FactoryA);
  auto other = std::make_unique<AutoReg>("Other", &CountedComponent::Make);
  ASSERT_TRUE(owner->Owner());
  owner.reset();
  PlugModuleManage* table = OpenPlugTable();
  ASSERT_NE(table, nullptr) << "the remaining module lost its table";
  EXPECT_EQ(table->count, 1);
  I_Plug* object = CreateComponent("Other");
  ASSERT_NE(object, nullptr);
  object->Release();
  other.reset();  // must not touch freed memory; the last registrar frees the table
  EXPECT_EQ(CreateComponent("Other"), nullptr);
}

TEST_F(PlugTableTest, AStaleSlotInheritedFromAnotherProcessIsIgnored) {
  const std::string slot = SlotName();
  ASSERT_EQ(setenv(slot.c_str(), "12345678:999", 1), 0);
  EXPECT_EQ(OpenPlugTable(), nullptr);
  EXPECT_EQ(CreateComponent("Anything"), nullptr);
  {
    AutoReg fresh("Fresh", &FactoryA);
    EXPECT_TRUE(fresh.Owner());
    EXPECT_NE(FindPlugEntry(OpenPlugTable(), "Fresh"), nullptr);
  }
  EXPECT_EQ(std::getenv(slot.c_str()), nullptr) << "the slot must go with the table";
}

TEST_F(PlugTableTest, CreateComponentReturnsOnlyInitialisedObjects) {
  AutoReg counted("Counted", &CountedComponent::Make);
  AutoReg throwing("Throwing", &CountedComponent::MakeThrowing);
  AutoReg nothing("Nothing", &FactoryA);
  const int before = CountedComponent::alive;

  CountedComponent::nextInit = CountedComponent::Init::Succeed;
  I_Plug* object = CreateComponent("Counted");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(static_cast<CountedComponent*>(object)->Refs(), 1)
      << "the caller owns the one creation reference";
  object->Release();
  EXPECT_EQ(CountedComponent::alive, before);

  for (auto init : {CountedComponent::Init::Fail, CountedComponent::Init::Throw}) {
    CountedComponent::nextInit = init;
    EXPECT_EQ(CreateComponent("Counted"), nullptr);
    EXPECT_EQ(CountedComponent::alive, before) << "an object that failed to initialise must be destroyed";
  }
  CountedComponent::nextInit = CountedComponent::Init::Succeed;
  EXPECT_EQ(CreateComponent("Throwing"), nullptr);
  EXPECT_EQ(CreateComponent("Nothing"), nullptr);
  EXPECT_EQ(CreateComponent("Unknown"), nullptr);
  EXPECT_EQ(CreateComponent(nullptr), nullptr);
}

}  // namespace
