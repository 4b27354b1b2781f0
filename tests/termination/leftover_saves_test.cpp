// The option store's sweep of the temporary files that killed saves leave beside a user file: loading
// or saving the file removes its own stale, unlocked leftovers and nothing else.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "components/text_utf.h"
#include "engines/optionxml/option_file.h"
#include "engines/optionxml/save_option_xml.h"
#include "tests/fakes/temp_folder.h"
#include "tests/termination/file_age.h"

namespace {

namespace fs = std::filesystem;

constexpr char kDocument[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"general\">\n"
    "    <value key=\"destination\" text=\"/tmp\"/>\n  </section>\n</options>\n";

struct SaveNameCase {
  const char* name;
  bool ours;
};

void PrintTo(const SaveNameCase& c, std::ostream* os) {
  *os << '"' << c.name << '"';
}

class LeftoverSaveNameTest : public ::testing::TestWithParam<SaveNameCase> {};

INSTANTIATE_TEST_SUITE_P(Names, LeftoverSaveNameTest,
                         ::testing::Values(SaveNameCase{".preferences.xml.tmp-a1B2c3", true},
                                           SaveNameCase{".preferences.xml.tmp-000000", true},
                                           SaveNameCase{".preferences.xml.tmp-a1B2c", false},
                                           SaveNameCase{".preferences.xml.tmp-a1B2c3d", false},
                                           SaveNameCase{".preferences.xml.tmp-a1B2c_", false},
                                           SaveNameCase{"preferences.xml.tmp-a1B2c3", false},
                                           SaveNameCase{".preferences.xml.bak-a1B2c3", false},
                                           SaveNameCase{".other.xml.tmp-a1B2c3", false},
                                           SaveNameCase{".preferences.xml.tmp-a1B2c3.xml", false},
                                           SaveNameCase{".Preferences.xml.tmp-a1B2c3", false}));

TEST_P(LeftoverSaveNameTest, OnlyTemporaryFilesOfThatFileCount) {
  EXPECT_EQ(optionxml::IsLeftoverSaveName(GetParam().name, "preferences.xml"), GetParam().ours);
}

// Holds an exclusive lock through a separate open, as a save under way in another process does: a
// lock taken through another open file conflicts within one process as across processes.
class HeldLock {
 public:
  explicit HeldLock(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  ~HeldLock() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;
  bool Locked() const { return locked_; }

 private:
  int fd_;
  bool locked_ = false;
};

struct StoreStep {
  const char* name;
  std::function<bool(SaveOptionXml&, const std::string&)> run;
};

void PrintTo(const StoreStep& c, std::ostream* os) {
  *os << c.name;
}

class LeftoverSavesTest : public ::testing::TestWithParam<StoreStep> {};

INSTANTIATE_TEST_SUITE_P(Steps, LeftoverSavesTest,
                         ::testing::Values(StoreStep{"Load",
                                                     [](SaveOptionXml& store, const std::string& path) {
                                                       return store.Load(Utf8ToUtf16(path).c_str());
                                                     }},
                                           StoreStep{"SaveAs",
                                                     [](SaveOptionXml& store, const std::string& path) {
                                                       store.SetInt(u"general\\count", 3);
                                                       return store.SaveAs(Utf8ToUtf16(path).c_str());
                                                     }}));

TEST_P(LeftoverSavesTest, RemovesItsOwnStaleLeftoversAndKeepsTheRest) {
  TempFolder folder;
  const std::string target = folder.File("preferences.xml");
  termination_test::WriteFile(target, kDocument);
  const auto file = [&](const std::string& name, bool old) {
    const std::string path = folder.File(name);
    termination_test::WriteFile(path, "<?xml version=\"1.0\"?><opt");
    if (old) {
      termination_test::MakeOld(path);
    }
    return path;
  };
  const std::string stale = file(".preferences.xml.tmp-Ab12Cd", true);
  const std::string alsoStale = file(".preferences.xml.tmp-999999", true);
  const std::vector<std::string> kept{
      file(".preferences.xml.tmp-Ab12C", true), file(".preferences.xml.tmp-Ab12Cd7", true),
      file(".UserProfile.xml.tmp-Ab12Cd", true), file("preferences.xml.tmp-Ab12Cd", true),
      file(".preferences.xml.swp", true),
      // Newer than the program: a save that may be starting now.
      file(".preferences.xml.tmp-NEW123", false)};
  const std::string locked = file(".preferences.xml.tmp-LOCKED", true);
  HeldLock lock(locked);
  ASSERT_TRUE(lock.Locked());

  SaveOptionXml* store = new SaveOptionXml();
  EXPECT_TRUE(GetParam().run(*store, target));
  store->Release();

  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(alsoStale));
  for (const std::string& path : kept) {
    EXPECT_TRUE(fs::exists(path)) << path;
  }
  EXPECT_TRUE(fs::exists(locked)) << "a save under way holds it";
  EXPECT_TRUE(fs::exists(target));
}

TEST(LeftoverSaves, TheyAreSoughtBesideTheFileALinkEndsAt) {
  TempFolder links;
  TempFolder real;
  const std::string target = real.File("preferences.xml");
  termination_test::WriteFile(target, kDocument);
  ASSERT_EQ(::symlink(target.c_str(), links.File("preferences.xml").c_str()), 0);
  const std::string stale = real.File(".preferences.xml.tmp-Qw3rTy");
  const std::string besideLink = links.File(".preferences.xml.tmp-Qw3rTy");
  for (const std::string& path : {stale, besideLink}) {
    termination_test::WriteFile(path, "<opt");
    termination_test::MakeOld(path);
  }
  optionxml::RemoveLeftoverSaves(links.File("preferences.xml"));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(besideLink)) << "saves write beside the link's target, never beside the link";
}

}  // namespace
