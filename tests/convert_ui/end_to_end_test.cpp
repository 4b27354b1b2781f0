#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/folders.h"
#include "components/i_ff_converter.h"
#include "components/i_ff_preview.h"
#include "components/i_save_option_xml.h"
#include "convert/conversion.h"
#include "plug/plug_table.h"
#include "settings/catalogue.h"
#include "tasks/task_list.h"
#include "tests/app/app_test_env.h"
#include "tests/fakes/recording_notifier.h"
#include "tests/fakes/recording_shutdown.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

QString SourceFolder() {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return QString::fromUtf8(source != nullptr ? source : KV_TEST_SOURCE_DIR);
}

std::string PluginPath(const char* file) {
  const char* binDir = std::getenv("KV_BIN_DIR");
  return std::string(binDir != nullptr ? binDir : KV_TEST_BIN_DIR) + "/plugins/" + file;
}

// What a file turns out to be when FFmpeg reads it.
struct Probed {
  bool opened = false;
  std::string format;
  std::vector<std::string> videoCodecs;
  std::vector<std::string> audioCodecs;
  int width = 0;
  int height = 0;
};

Probed Probe(const QString& path) {
  Probed probed;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) != 0) {
    return probed;
  }
  if (avformat_find_stream_info(format, nullptr) >= 0) {
    probed.opened = true;
    probed.format = format->iformat->name;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
      const AVCodecParameters* codec = format->streams[i]->codecpar;
      if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
        probed.videoCodecs.push_back(avcodec_get_name(codec->codec_id));
        probed.width = codec->width;
        probed.height = codec->height;
      } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
        probed.audioCodecs.push_back(avcodec_get_name(codec->codec_id));
      }
    }
  }
  avformat_close_input(&format);
  return probed;
}

// The task list, the catalogue and the conversion with the built engine and option-store modules, as
// the host loads them, on a shipped media file.
class EndToEndTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    context_.productName = "Kestrelvine Converter";
    context_.productFolder = Root("product/");
    ASSERT_EQ(CreateComponent(kFfConverterName), nullptr) << "no other engine may answer";
    ASSERT_EQ(CreateComponent(kFfPreviewName), nullptr) << "no other engine may answer";
    for (const char* file : {"libsaveoptionxml.so", "libffengine.so"}) {
      void* module = ::dlopen(PluginPath(file).c_str(), RTLD_NOW | RTLD_LOCAL);
      ASSERT_NE(module, nullptr) << ::dlerror();
      modules_.push_back(module);
    }
    app_.SetShutdown(shutdown_);
    app_.SetNotifier(notifier_);
    list_.Bind(tree_, 3);
  }

  void TearDown() override {
    list_.ClearAll();
    for (auto it = modules_.rbegin(); it != modules_.rend(); ++it) {
      EXPECT_EQ(::dlclose(*it), 0);
    }
    AppTest::TearDown();
  }

  std::vector<void*> modules_;
  TaskTree tree_;
  TVirtualStringTreeHelper list_{context_};
  ConverterSettings catalogue_{context_};
  RecordingShutdown shutdown_;
  RecordingNotifier notifier_;
};

TEST_F(EndToEndTest, ConvertsTwoFilesWithAShippedProfile) {
  ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Profile"));
  for (const char* file : {"ProfileGroup.xml", "Profile.xml"}) {
    ASSERT_TRUE(
        QFile::copy(SourceFolder() + "/data/Profile/" + file, context_.productFolder + "Profile/" + file));
  }
  catalogue_.LoadCatalogue();
  const ProfileSetting* profile = catalogue_.FindProfile(46);
  ASSERT_NE(profile, nullptr);
  ASSERT_EQ(profile->ProfileName, "Portable Player (MP4 H.264 Baseline 320*240)");

  const QString fixture = SourceFolder() + "/tests/fixtures/probe/video_audio.mp4";
  ASSERT_TRUE(QDir().mkpath(Root("media")));
  ASSERT_TRUE(QFile::copy(fixture, Root("media/first.mp4")));
  ASSERT_TRUE(QFile::copy(fixture, Root("media/second.mp4")));
  ASSERT_TRUE(list_.LoadFiles({Root("media/first.mp4"), Root("media/second.mp4")}, true, *profile, 2));
  ASSERT_EQ(tree_.TopLevelCount(), 2);

  const QString destination = Root("out");
  const ConvertOutcome outcome = ConvertCheckedItems(Ui(), {&list_, &catalogue_, destination});

  EXPECT_TRUE(outcome.ran);
  EXPECT_EQ(outcome.firstOutputFile, destination + "/first.mp4");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Converting 2 Files Done.\n\nSuccess 2\nFailed 0");
  EXPECT_EQ(dialogs_.shown[0].caption, "Convert");
  EXPECT_EQ(dialogs_.shown[0].icon, platform::MsgIcon::Information);
  EXPECT_EQ(shutdown_.powerOffCalls, 0);

  for (const char* name : {"first.mp4", "second.mp4"}) {
    SCOPED_TRACE(name);
    const Probed probed = Probe(destination + "/" + name);
    ASSERT_TRUE(probed.opened);
    EXPECT_NE(probed.format.find("mp4"), std::string::npos) << probed.format;
    EXPECT_EQ(probed.videoCodecs, std::vector<std::string>{"h264"});
    EXPECT_EQ(probed.audioCodecs, std::vector<std::string>{"aac"})
        << "the profile's libfaac is served by aac";
    EXPECT_EQ(probed.width, 320);
    EXPECT_EQ(probed.height, 240);
  }

  QFile log(UserFileToRead(context_, "logs.log"));
  EXPECT_FALSE(QFileInfo::exists(context_.productFolder + "logs.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_FALSE(log.readAll().isEmpty()) << "the engine's log";
}

}  // namespace
