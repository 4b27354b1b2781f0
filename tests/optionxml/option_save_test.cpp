#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/optionxml/option_test_support.h"

namespace {

using namespace optionxml_test;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// A store that has loaded `path` (or tried to) and changed one value.
PlugPtr<I_SaveOptionXml> LoadAndChange(const std::string& path, const char16_t* value = u"new") {
  auto store = NewStore();
  store->Load(U16(path).c_str());
  store->SetString(u"general\\value", value);
  return store;
}

std::u16string ValueIn(const std::string& path) {
  auto store = NewStore();
  return store->Load(U16(path).c_str()) ? store->GetString(u"general\\value") : u"<not loaded>";
}

const char kOldFile[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"general\">\n"
    "    <value key=\"value\" text=\"old\" />\n  </section>\n</options>\n";

TEST(OptionSave, ReplacesTheFileAndLeavesNothingElse) {
  TempDir dir;
  const std::string path = dir.File("options.xml");
  WriteBytes(path, kOldFile);
  ASSERT_TRUE(LoadAndChange(path)->Save());
  EXPECT_EQ(ReadBytes(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"general\">\n"
            "    <value key=\"value\" text=\"new\" />\n  </section>\n</options>\n");
  EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"options.xml"});
}

class KeptMode : public testing::TestWithParam<mode_t> {};

TEST_P(KeptMode, AnExistingFileKeepsItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("options.xml");
  WriteBytes(path, kOldFile);
  ASSERT_EQ(::chmod(path.c_str(), GetParam()), 0);
  ASSERT_TRUE(LoadAndChange(path)->Save());
  EXPECT_EQ(ModeOf(path), GetParam());
  EXPECT_EQ(ValueIn(path), u"new");
}

INSTANTIATE_TEST_SUITE_P(OptionSave, KeptMode, testing::Values(0600, 0640, 0664, 0755));

class NewFileMode : public testing::TestWithParam<std::pair<mode_t, mode_t>> {
 protected:
  void TearDown() override { ::umask(saved_); }
  mode_t saved_ = ::umask(022);
};

TEST_P(NewFileMode, ANewFileGetsReadWriteUnderTheUmask) {
  const auto [mask, expected] = GetParam();
  ::umask(mask);
  TempDir dir;
  const std::string path = dir.File("new.xml");
  ASSERT_TRUE(LoadAndChange(path)->Save());
  EXPECT_EQ(ModeOf(path), expected);
}

INSTANTIATE_TEST_SUITE_P(OptionSave, NewFileMode,
                         testing::Values(std::pair<mode_t, mode_t>{022, 0644},
                                         std::pair<mode_t, mode_t>{077, 0600},
                                         std::pair<mode_t, mode_t>{002, 0664}));

TEST(OptionSave, ALinkIsWrittenThroughAndStaysALink) {
  TempDir dir;
  fs::create_directories(dir.path() / "real");
  fs::create_directories(dir.path() / "links");
  const std::string real = dir.File("real/options.xml");
  const std::string link = dir.File("links/options.xml");
  WriteBytes(real, kOldFile);
  fs::create_symlink("../real/options.xml", link);

  ASSERT_TRUE(LoadAndChange(link)->Save());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), "../real/options.xml");
  EXPECT_EQ(ValueIn(real), u"new");
  EXPECT_EQ(FilesIn(dir.path() / "real"), std::set<std::string>{"options.xml"});
  EXPECT_EQ(FilesIn(dir.path() / "links"), std::set<std::string>{"options.xml"});
}

TEST(OptionSave, ADanglingLinkGetsItsTargetCreated) {
  TempDir dir;
  const std::string link = dir.File("options.xml");
  fs::create_symlink("target.xml", link);
  ASSERT_TRUE(LoadAndChange(link)->Save());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ValueIn(dir.File("target.xml")), u"new");
}

// The rename at the end cannot replace a folder: the temporary file written before it must go.
TEST(OptionSave, AFailedRenameLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.File("options.xml");
  fs::create_directory(target);
  WriteBytes(target + "/inside", "x");

  EXPECT_FALSE(LoadAndChange(target)->Save());
  auto store = NewStore();
  store->SetString(u"a\\b", u"c");
  EXPECT_FALSE(store->SaveAs(U16(target).c_str()));
  EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"options.xml"});
  EXPECT_EQ(FilesIn(target), std::set<std::string>{"inside"});
}

// A full disk, imitated by a file size limit: the write fails part-way.
TEST(OptionSave, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.File("options.xml");
  WriteBytes(path, kOldFile);
  auto store = LoadAndChange(path, std::u16string(4096, u'x').c_str());

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = store->Save();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(ReadBytes(path), kOldFile);
  EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"options.xml"});
}

TEST(OptionSave, SaveDoesNotCreateFolders) {
  TempDir dir;
  const std::string path = dir.File("missing/options.xml");
  EXPECT_FALSE(LoadAndChange(path)->Save());
  EXPECT_FALSE(fs::exists(dir.File("missing")));
}

struct Backup {
  const char* name;
  const char* before;  // null: no file
  bool keptAsBad;
};

// CTest names each case by what this prints.
void PrintTo(const Backup& c, std::ostream* os) {
  *os << c.name;
}

class BadBackup : public testing::TestWithParam<Backup> {};

TEST_P(BadBackup, OnlyARefusedFileIsKeptBesideTheNewOne) {
  const Backup& c = GetParam();
  TempDir dir;
  const std::string path = dir.File("options.xml");
  const std::string bad = path + ".bad";
  if (c.before != nullptr) {
    WriteBytes(path, c.before);
  }
  auto store = LoadAndChange(path);
  ASSERT_TRUE(store->Save());
  EXPECT_EQ(ValueIn(path), u"new");
  EXPECT_EQ(fs::exists(bad), c.keptAsBad);
  if (!c.keptAsBad) {
    return;
  }
  EXPECT_EQ(ReadBytes(bad), c.before);

  // Only the first save after the refused Load keeps a copy: the file it replaces now is ours.
  store->SetString(u"general\\value", u"newer");
  ASSERT_TRUE(store->Save());
  EXPECT_EQ(ReadBytes(bad), c.before);
  EXPECT_EQ(ValueIn(path), u"newer");
  EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"options.xml", "options.xml.bad"}));
}

INSTANTIATE_TEST_SUITE_P(OptionSave, BadBackup,
                         testing::Values(Backup{"Malformed", "<options><section name=\"general\">", true},
                                         Backup{"NotUtf8", "\xFF\xFE<", true},
                                         Backup{"Missing", nullptr, false},
                                         Backup{"WellFormed", kOldFile, false}));

TEST(OptionSave, AnOlderBackupIsReplaced) {
  TempDir dir;
  const std::string path = dir.File("options.xml");
  WriteBytes(path, "broken now");
  WriteBytes(path + ".bad", "broken long ago");
  ASSERT_TRUE(LoadAndChange(path)->Save());
  EXPECT_EQ(ReadBytes(path + ".bad"), "broken now");
}

}  // namespace
