#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "engines/ffengine/output_file.h"
#include "tests/fakes/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int FileCount(const fs::path& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
    ++count;
  }
  return count;
}

// ---- Same file -------------------------------------------------------------------------------------

struct Alias {
  const char* name;
  // Makes the second name for "dir/source.mp4" inside `dir`, or another file; returns it.
  std::string (*make)(const TempFolder& dir);
  bool same;
};

void PrintTo(const Alias& alias, std::ostream* os) {
  *os << alias.name;
}

class SameFile : public testing::TestWithParam<Alias> {};

TEST_P(SameFile, ComparesTheFileNotTheSpelling) {
  TempFolder dir("kv-samefile");
  const std::string source = dir.File("source.mp4");
  Write(source, "media");
  const std::string other = GetParam().make(dir);
  EXPECT_EQ(ffengine::IsSameFile(source, other), GetParam().same);
  EXPECT_EQ(ffengine::IsSameFile(other, source), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, SameFile,
    testing::Values(Alias{"IdenticalPath", [](const TempFolder& d) { return d.File("source.mp4"); }, true},
                    Alias{"DotSegments",
                          [](const TempFolder& d) {
                            return (d.path() / "." / ".." / d.path().filename() / "source.mp4").string();
                          },
                          true},
                    Alias{"DoubledSlash",
                          [](const TempFolder& d) { return d.path().string() + "//source.mp4"; }, true},
                    Alias{"SymbolicLink",
                          [](const TempFolder& d) {
                            fs::create_symlink(d.File("source.mp4"), d.File("link.mp4"));
                            return d.File("link.mp4");
                          },
                          true},
                    Alias{"LinkToFolder",
                          [](const TempFolder& d) {
                            fs::create_directory_symlink(d.path(), d.File("again"));
                            return d.File("again/source.mp4");
                          },
                          true},
                    Alias{"HardLink",
                          [](const TempFolder& d) {
                            fs::create_hard_link(d.File("source.mp4"), d.File("hard.mp4"));
                            return d.File("hard.mp4");
                          },
                          true},
                    Alias{"CopyWithSameBytes",
                          [](const TempFolder& d) {
                            Write(d.File("copy.mp4"), "media");
                            return d.File("copy.mp4");
                          },
                          false},
                    Alias{"MissingFile", [](const TempFolder& d) { return d.File("absent.mp4"); }, false},
                    Alias{"EmptyPath", [](const TempFolder&) { return std::string(); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What a finished file may replace --------------------------------------------------------------

struct Occupant {
  const char* name;
  // Puts something at "dir/out.mp4", or nothing; returns that path.
  std::string (*make)(const TempFolder& dir);
  bool replaceable;
};

void PrintTo(const Occupant& occupant, std::ostream* os) {
  *os << occupant.name;
}

class OutputOccupant : public testing::TestWithParam<Occupant> {};

TEST_P(OutputOccupant, IsReplacedOnlyWhenItIsAFileOrALink) {
  TempFolder dir("kv-occupant");
  const std::string path = GetParam().make(dir);
  EXPECT_EQ(ffengine::IsReplaceable(path), GetParam().replaceable);
}

INSTANTIATE_TEST_SUITE_P(
    Occupants, OutputOccupant,
    testing::Values(Occupant{"Nothing", [](const TempFolder& d) { return d.File("out.mp4"); }, true},
                    Occupant{"File",
                             [](const TempFolder& d) {
                               Write(d.File("out.mp4"), "older");
                               return d.File("out.mp4");
                             },
                             true},
                    // The link is replaced, not the file or folder it names.
                    Occupant{"LinkToAFolder",
                             [](const TempFolder& d) {
                               fs::create_directory(d.File("folder"));
                               fs::create_directory_symlink(d.File("folder"), d.File("out.mp4"));
                               return d.File("out.mp4");
                             },
                             true},
                    Occupant{"DanglingLink",
                             [](const TempFolder& d) {
                               fs::create_symlink(d.File("nowhere.mp4"), d.File("out.mp4"));
                               return d.File("out.mp4");
                             },
                             true},
                    Occupant{"Folder",
                             [](const TempFolder& d) {
                               fs::create_directory(d.File("out.mp4"));
                               return d.File("out.mp4");
                             },
                             false},
                    Occupant{"FolderWithTrailingSlash",
                             [](const TempFolder& d) {
                               fs::create_directory(d.File("out.mp4"));
                               return d.File("out.mp4") + "/";
                             },
                             false},
                    Occupant{"Pipe",
                             [](const TempFolder& d) {
                               ::mkfifo(d.File("out.mp4").c_str(), 0600);
                               return d.File("out.mp4");
                             },
                             false},
                    Occupant{"BelowAFile",
                             [](const TempFolder& d) {
                               Write(d.File("plain"), "not a folder");
                               return d.File("plain/out.mp4");
                             },
                             false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Temporary output ------------------------------------------------------------------------------

TEST(TempOutput, IsMadeBesideTheOutputAndHidesTheOlderFileUntilCommit) {
  TempFolder dir("kv-tempout");
  const std::string out = dir.File("movie.mp4");
  Write(out, "older");
  {
    ffengine::TempOutput temp(out);
    ASSERT_TRUE(temp.Ok());
    EXPECT_EQ(fs::path(temp.TempPath()).parent_path(), dir.path());
    EXPECT_NE(temp.TempPath(), out);
    Write(temp.TempPath(), "newer");
    EXPECT_EQ(Read(out), "older") << "the output changed before the commit";
    ASSERT_TRUE(temp.Commit());
  }
  EXPECT_EQ(Read(out), "newer");
  EXPECT_EQ(FileCount(dir.path()), 1) << "the temporary file outlived the commit";
}

TEST(TempOutput, LeavesNothingAndTheOlderFileWhenNotCommitted) {
  TempFolder dir("kv-tempout");
  const std::string out = dir.File("movie.mp4");
  Write(out, "older");
  std::string tempPath;
  {
    ffengine::TempOutput temp(out);
    ASSERT_TRUE(temp.Ok());
    tempPath = temp.TempPath();
    Write(tempPath, "half written");
  }
  EXPECT_FALSE(fs::exists(tempPath));
  EXPECT_EQ(Read(out), "older");
  EXPECT_EQ(FileCount(dir.path()), 1);
}

TEST(TempOutput, TwoJobsForOneFolderGetTheirOwnFiles) {
  TempFolder dir("kv-tempout");
  ffengine::TempOutput first(dir.File("movie.mp4"));
  ffengine::TempOutput second(dir.File("movie.mp4"));
  ASSERT_TRUE(first.Ok() && second.Ok());
  EXPECT_NE(first.TempPath(), second.TempPath());
}

TEST(TempOutput, AnOutputNameAtTheLengthLimitStillGetsATemporaryFile) {
  TempFolder dir("kv-tempout");
  const std::string out = dir.File(std::string(251, 'n') + ".mp4");
  ffengine::TempOutput temp(out);
  ASSERT_TRUE(temp.Ok());
  Write(temp.TempPath(), "newer");
  ASSERT_TRUE(temp.Commit());
  EXPECT_EQ(Read(out), "newer");
}

TEST(TempOutput, RefusesAFolderThatCannotBeWritten) {
  TempFolder dir("kv-tempout");
  Write(dir.File("plain-file"), "x");
  EXPECT_FALSE(ffengine::TempOutput(dir.File("missing/movie.mp4")).Ok());
  EXPECT_FALSE(ffengine::TempOutput(dir.File("plain-file/movie.mp4")).Ok());
  EXPECT_FALSE(ffengine::TempOutput("").Ok());
  EXPECT_EQ(FileCount(dir.path()), 1);
}

TEST(TempOutput, CommitOntoAFolderFailsAndKeepsIt) {
  TempFolder dir("kv-tempout");
  const std::string out = dir.File("movie.mp4");
  fs::create_directory(out);
  Write(out + "/inside", "kept");
  {
    ffengine::TempOutput temp(out);
    ASSERT_TRUE(temp.Ok());
    EXPECT_FALSE(temp.Commit());
  }
  EXPECT_EQ(Read(out + "/inside"), "kept");
  EXPECT_EQ(FileCount(dir.path()), 1);
}

}  // namespace
