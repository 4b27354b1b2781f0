// The engine's sweep of temporary outputs that killed runs left: only files of its exact naming, not
// locked by a live writer and older than the program, are removed, each named in the batch's log.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engines/ffengine/leftover_parts.h"
#include "engines/ffengine/output_file.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/fakes/temp_folder.h"
#include "tests/termination/file_age.h"

namespace {

namespace fs = std::filesystem;

struct NameCase {
  const char* name;
  bool ours;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << '"' << c.name << '"';
}

class TempOutputNameTest : public ::testing::TestWithParam<NameCase> {};

// Each foreign name differs from ours in one way.
INSTANTIATE_TEST_SUITE_P(
    Names, TempOutputNameTest,
    ::testing::Values(NameCase{".clip.mp4.0123abcd.part", true}, NameCase{".kv-output.89abcdef.part", true},
                      NameCase{".a.00000000.part", true}, NameCase{".clip.mp4.0123ABCD.part", false},
                      NameCase{".clip.mp4.0123abc.part", false}, NameCase{".clip.mp4.0123abcde.part", false},
                      NameCase{".clip.mp4.0123abcg.part", false}, NameCase{"clip.mp4.0123abcd.part", false},
                      NameCase{".clip.mp4.0123abcd.partial", false},
                      NameCase{".clip.mp4.0123abcd.part~", false}, NameCase{".clip.mp4-0123abcd.part", false},
                      NameCase{"..0123abcd.part", false}, NameCase{".clip.mp4.0123abcd", false},
                      NameCase{"clip.mp4.part", false}));

TEST_P(TempOutputNameTest, OnlyTheEnginesOwnFormCounts) {
  EXPECT_EQ(ffengine::IsTempOutputName(GetParam().name), GetParam().ours);
}

TEST(TempOutputName, WhatTheEngineMakesIsRecognised) {
  for (const std::string& name : {std::string("clip.mp4"), std::string(250, 'n'), std::string("a b.c")}) {
    EXPECT_TRUE(ffengine::IsTempOutputName(ffengine::TempOutputName(name, 0xdeadbeef))) << name;
  }
  TempFolder folder;
  ffengine::TempOutput temp(folder.File("movie.mkv"));
  ASSERT_TRUE(temp.Ok());
  EXPECT_TRUE(ffengine::IsTempOutputName(fs::path(temp.TempPath()).filename().string()));
}

// A process that holds an exclusive lock on a file until the test lets it go, as a running job does.
class LiveWriter {
 public:
  explicit LiveWriter(const std::string& path) {
    int ready[2];
    int hold[2];
    if (::pipe(ready) != 0 || ::pipe(hold) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(hold[1]);
      const int fd = ::open(path.c_str(), O_WRONLY);
      const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
      [[maybe_unused]] const ssize_t written = ::write(ready[1], &ok, 1);
      char byte = 0;
      [[maybe_unused]] const ssize_t got = ::read(hold[0], &byte, 1);  // returns when the test closes it
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(hold[0]);
    hold_ = hold[1];
    char ok = 0;
    locked_ = ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
  }
  ~LiveWriter() {
    if (hold_ >= 0) {
      ::close(hold_);
    }
    if (pid_ > 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  LiveWriter(const LiveWriter&) = delete;
  LiveWriter& operator=(const LiveWriter&) = delete;
  bool Locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int hold_ = -1;
  bool locked_ = false;
};

TEST(LeftoverOutputs, OnlyStaleUnlockedFilesOfOurNamingGo) {
  TempFolder folder;
  const auto file = [&](const std::string& name, bool old) {
    const std::string path = folder.File(name);
    termination_test::WriteFile(path, "half a video");
    if (old) {
      termination_test::MakeOld(path);
    }
    return path;
  };
  const std::string stale = file(".clip.mp4.0123abcd.part", true);
  const std::string staleLong = file(".kv-output.89abcdef.part", true);
  const std::vector<std::string> kept{
      file(".clip.mp4.0123ABCD.part", true), file("clip.mp4.0123abcd.part", true),
      file(".clip.mp4.0123abcd.partial", true), file(".clip.mp4.0123abc.part", true),
      // Written after this program started: a run that may be starting now.
      file(".new.mp4.01234567.part", false), file("clip.mp4", true)};
  const std::string locked = file(".busy.mp4.76543210.part", true);
  LiveWriter writer(locked);
  ASSERT_TRUE(writer.Locked());
  // Only regular files: a folder, a link (and what it points at) and a pipe named like ours stay.
  const std::string target = file("target.mp4", true);
  ASSERT_EQ(::symlink(target.c_str(), folder.File(".link.mp4.11111111.part").c_str()), 0);
  ASSERT_EQ(::mkdir(folder.File(".dir.mp4.22222222.part").c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(folder.File(".fifo.mp4.33333333.part").c_str(), 0644), 0);

  std::vector<std::string> removed =
      ffengine::RemoveLeftoverOutputs(folder.path().string(), ffengine::ProgramStart());
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{stale, staleLong}));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_FALSE(fs::exists(staleLong));
  for (const std::string& path : kept) {
    EXPECT_TRUE(fs::exists(path)) << path;
  }
  EXPECT_TRUE(fs::exists(locked)) << "a live writer holds it";
  EXPECT_TRUE(fs::exists(target));
  for (const char* name : {".link.mp4.11111111.part", ".dir.mp4.22222222.part", ".fifo.mp4.33333333.part"}) {
    EXPECT_TRUE(fs::symlink_status(folder.File(name)).type() != fs::file_type::not_found) << name;
  }
}

TEST(LeftoverOutputs, ARunningJobsTemporaryFileIsLockedAgainstTheSweep) {
  TempFolder folder;
  ffengine::TempOutput temp(folder.File("movie.mkv"));
  ASSERT_TRUE(temp.Ok());
  // Even when it looks old, as a paused job's file does after an hour.
  termination_test::MakeOld(temp.TempPath());
  EXPECT_TRUE(ffengine::RemoveLeftoverOutputs(folder.path().string(), ffengine::ProgramStart()).empty());
  EXPECT_TRUE(fs::exists(temp.TempPath()));
  termination_test::WriteFile(temp.TempPath(), "done");
  ASSERT_TRUE(temp.Commit());
  EXPECT_TRUE(fs::exists(folder.File("movie.mkv")));
}

TEST(LeftoverOutputs, TheNextBatchIntoTheFolderRemovesThemAndSaysSo) {
  TempFolder out;
  TempFolder elsewhere;
  const std::string stale = out.File(".clip.mkv.0a0b0c0d.part");
  const std::string foreign = out.File(".clip.mkv.0A0B0C0D.part");
  const std::string notOurFolder = elsewhere.File(".clip.mkv.0a0b0c0d.part");
  for (const std::string& path : {stale, foreign, notOurFolder}) {
    termination_test::WriteFile(path, "half a video");
    termination_test::MakeOld(path);
  }
  media_maker::ClipPlan clip;
  clip.seconds = 1.0;
  const engine_harness::Converted converted =
      engine_harness::Convert(engine_harness::InputFor(engine_harness::Fixture("short.mkv", clip)),
                              engine_harness::OutputPlan{}, out.File("clip.mkv"));
  EXPECT_TRUE(converted.succeeded) << converted.log;
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(foreign));
  EXPECT_TRUE(fs::exists(notOurFolder)) << "only the batch's own folders are swept";
  const std::string line = "removed \"" + stale + "\", the temporary file of a conversion that was cut off\n";
  EXPECT_NE(converted.log.find(line), std::string::npos) << converted.log;
  EXPECT_LT(converted.log.find(line), converted.log.find("job 1:")) << "before the first job";
  EXPECT_EQ(converted.log.find("removed \"", converted.log.find(line) + 1), std::string::npos)
      << "one line per removed file";
}

}  // namespace
