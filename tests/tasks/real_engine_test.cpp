#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QString>
#include <QStringList>
#include <cstdlib>
#include <string>

#include "tests/tasks/task_test_support.h"

namespace {

QString FixtureFolder() {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return QString::fromUtf8(source != nullptr ? source : KV_TEST_SOURCE_DIR) + "/tests/fixtures/probe/";
}

// The list with the built media engine module, loaded as the host loads it, on the shipped media.
class RealEngineTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    context_.productName = "Kestrelvine Converter";
    const char* binDir = std::getenv("KV_BIN_DIR");
    const std::string module =
        std::string(binDir != nullptr ? binDir : KV_TEST_BIN_DIR) + "/plugins/libffengine.so";
    ASSERT_EQ(CreateComponent(kFfPreviewName), nullptr) << "no other engine may answer";
    module_ = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << ::dlerror();
    list_.Bind(tree_, 3);
    list_.SetEnvironment(&environment_);
    profile_.FormatExt = ".mp4";
  }

  void TearDown() override {
    list_.ClearAll();
    if (module_ != nullptr) {
      EXPECT_EQ(::dlclose(module_), 0);
    }
    AppTest::TearDown();
  }

  void* module_ = nullptr;
  TaskTree tree_;
  TVirtualStringTreeHelper list_{context_};
  RecordingEnvironment environment_;
  ProfileSetting profile_;
};

TEST_F(RealEngineTest, LoadsWhatTheEngineReadsAndRefusesTheRest) {
  const QString folder = FixtureFolder();
  const QStringList files = {"empty.mp4",      "length_0.9.mp4", "length_1.0.mp4",
                             "audio_only.ogg", "text.mp4",       "tracks.mkv"};
  QStringList paths;
  for (const QString& file : files) {
    paths.push_back(folder + file);
  }
  EXPECT_TRUE(list_.LoadFiles(paths, true, profile_, 1));

  QStringList names;
  for (int i = 0; i < tree_.TopLevelCount(); ++i) {
    names.push_back(tree_.Root()->ChildAt(i)->Item()->outputName());
  }
  EXPECT_EQ(names, QStringList({"length_1.0.mp4", "audio_only.mp4", "tracks.mp4"}));
  ASSERT_EQ(environment_.messages.size(), 3u);
  EXPECT_TRUE(environment_.messages[0].contains("empty.mp4"));
  EXPECT_TRUE(environment_.messages[1].contains("length_0.9.mp4"));
  EXPECT_TRUE(environment_.messages[2].contains("text.mp4"));

  const TaskNode* audio = tree_.Root()->ChildAt(1);
  EXPECT_EQ(list_.GetImageIndex(audio, 0), 0);
  EXPECT_EQ(audio->Item()->input.videoId, -1);
  EXPECT_EQ(audio->Item()->audioIndex, 0);
  EXPECT_EQ(list_.GetText(audio, 1), "00:00:02");

  const MuiItemInfo& tracks = *tree_.Root()->ChildAt(2)->Item();
  EXPECT_EQ(list_.GetImageIndex(tracks.Node(), 0), 1);
  ASSERT_EQ(tracks.audioTracks.size(), 2u);
  EXPECT_EQ(tracks.audioTracks[0].label, "0x1 aac stereo eng");
  EXPECT_EQ(tracks.audioTracks[1].label, "0x2 ac3 5.1(side) fre");
  ASSERT_EQ(tracks.subtitles.size(), 3u);
  EXPECT_EQ(tracks.subtitles[1].label, "0x3 eng");
  EXPECT_EQ(tracks.subtitles[2].label, "0x4 spa");
  EXPECT_EQ(tracks.input.audioId, 1);
}

}  // namespace
