// Checks the catalogue the product ships in data/Profile: what the profile editor will accept, and what the
// conversion engine can write with Debian's FFmpeg.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "settings/profile_editor_rules.h"
#include "tests/settings/settings_test_env.h"

namespace {

// The names the conversion engine maps onto Debian's FFmpeg ("libfaac" onto FFmpeg's own AAC encoder,
// the others onto the encoders and muxers of the same name). The catalogue may use no others.
const QSet<QString> kVideoEncoders = {"libx264", "libx265", "mpeg4", "libxvid", "mpeg2video", "mpeg1video",
                                      "wmv2",    "wmv1",    "flv",   "h263",    "libvpx",     "libvpx-vp9"};
const QSet<QString> kAudioEncoders = {"libfaac",   "libmp3lame", "ac3",   "mp2",
                                      "pcm_s16le", "pcm_s24le",  "flac",  "alac",
                                      "libvorbis", "libopus",    "wmav2", "wmav1"};

// What each muxer can carry, so that no choice a user makes from a profile's lists gives a file the muxer
// refuses. Audio-only muxers have no video codecs.
struct Muxer {
  QSet<QString> video;
  QSet<QString> audio;
};
const QMap<QString, Muxer> kMuxers = {
    {"mp4", {{"libx264", "libx265", "mpeg4"}, {"libfaac", "ac3", "libmp3lame"}}},
    {"mov", {{"libx264", "libx265", "mpeg4"}, {"libfaac", "ac3", "alac", "pcm_s16le"}}},
    {"3gp", {{"h263", "mpeg4", "libx264"}, {"libfaac"}}},
    {"matroska", {kVideoEncoders, kAudioEncoders}},
    {"webm", {{"libvpx", "libvpx-vp9"}, {"libvorbis", "libopus"}}},
    {"avi", {{"mpeg4", "libxvid", "libx264"}, {"libmp3lame", "ac3", "mp2", "pcm_s16le"}}},
    {"mpeg", {{"mpeg1video", "mpeg2video"}, {"mp2", "ac3"}}},
    {"dvd", {{"mpeg2video"}, {"ac3", "mp2"}}},
    {"mpegts", {{"mpeg2video", "libx264", "libx265"}, {"mp2", "ac3", "libfaac"}}},
    {"asf", {{"wmv2", "wmv1"}, {"wmav2", "wmav1"}}},
    {"flv", {{"flv", "libx264"}, {"libmp3lame", "libfaac"}}},
    {"ipod", {{}, {"libfaac", "alac"}}},
    {"mp3", {{}, {"libmp3lame"}}},
    {"adts", {{}, {"libfaac"}}},
    {"ac3", {{}, {"ac3"}}},
    {"mp2", {{}, {"mp2"}}},
    {"wav", {{}, {"pcm_s16le", "pcm_s24le"}}},
    {"flac", {{}, {"flac"}}},
    {"ogg", {{}, {"libvorbis", "libopus", "flac"}}},
    {"opus", {{}, {"libopus"}}},
};

// Sample rates an encoder or muxer takes, where it does not take every common one.
const QMap<QString, QSet<int>> kSampleRates = {
    {"ac3", {32000, 44100, 48000}},
    {"mp2", {16000, 22050, 24000, 32000, 44100, 48000}},
    {"libopus", {8000, 12000, 16000, 24000, 48000}},
};
const QSet<int> kFlvMp3Rates = {11025, 22050, 44100};

// Frame rates MPEG-1 and MPEG-2 video can signal (whole numbers only, as the catalogue stores them).
const QSet<int> kMpegFrameRates = {24, 25, 30, 50, 60};
// The only picture sizes H.263 takes.
const QSet<QString> kH263Sizes = {"128*96", "176*144", "352*288", "704*576", "1408*1152"};

// ExtraParam keys (see data/Profile/README.md): those every video encoder takes, and encoder options
// with the encoders that know them.
const QSet<QString> kVideoKeys = {"pix_fmt", "g", "maxrate", "bufsize", "aspect", "vtag"};
const QMap<QString, QSet<QString>> kEncoderKeys = {
    {"preset", {"libx264", "libx265"}},
    {"profile", {"libx264"}},
    {"level", {"libx264"}},
    {"deadline", {"libvpx", "libvpx-vp9"}},
    {"cpu-used", {"libvpx", "libvpx-vp9"}},
    {"row-mt", {"libvpx-vp9"}},
};
const QSet<QString> kMovflagsMuxers = {"mp4", "mov", "ipod", "3gp"};

// The values of a choice list, as the profile editor offers them.
QStringList Values(const QString& list) {
  QStringList values;
  for (const ProfileChoice& choice : ChoiceList(list)) {
    values.append(choice.value);
  }
  return values;
}

std::vector<int32_t> Numbers(const QString& list) {
  std::vector<int32_t> numbers;
  for (const ProfileNumberChoice& choice : NumberChoiceList(list)) {
    numbers.push_back(choice.value);
  }
  return numbers;
}

// Whether the editor keeps every entry of a list: a damaged entry is left out of the editor's box, so
// here it counts as a fault.
bool EveryEntryKept(const QString& list, size_t kept) {
  return kept == static_cast<size_t>(SplitList(list, u',').size());
}

QString Size(const ProfileSetting& p) {
  return QString("%1*%2").arg(p.Width).arg(p.Height);
}

class ShippedCatalogueTest : public settings_test::CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    const QString source = qEnvironmentVariable("KV_SOURCE_DIR");
    ASSERT_FALSE(source.isEmpty()) << "CTest sets KV_SOURCE_DIR to the source tree";
    // Only read: the shipped files are never written by loading.
    context_.productFolder = source + "/data/";
    ASSERT_TRUE(catalogue_.LoadCatalogue());
    for (int i = 0; i < catalogue_.ProfileCount(); ++i) {
      profiles_.push_back(catalogue_.ProfileAt(i));
    }
  }

  ConverterSettings catalogue_{context_};
  std::vector<const ProfileSetting*> profiles_;
};

TEST_F(ShippedCatalogueTest, HasOneEmptyUserGroupAndNoUserFile) {
  EXPECT_FALSE(QFileInfo::exists(UserFile())) << "the program creates the user file";
  int userGroups = 0;
  for (int i = 0; i < catalogue_.GroupCount(); ++i) {
    userGroups += catalogue_.GroupAt(i)->UserGroup != 0 ? 1 : 0;
  }
  EXPECT_EQ(userGroups, 1);
  for (const ProfileSetting* p : profiles_) {
    EXPECT_FALSE(catalogue_.IsUserProfile(p)) << p->ProfileName.toStdString() << " could be deleted";
  }
}

TEST_F(ShippedCatalogueTest, NamesAndNumbersAreUniqueAndGroupsExist) {
  EXPECT_GE(profiles_.size(), 30u);
  QSet<QString> groupNames;
  QSet<int> groupIds;
  for (int i = 0; i < catalogue_.GroupCount(); ++i) {
    const ProfileGroup* group = catalogue_.GroupAt(i);
    EXPECT_FALSE(group->GroupName.isEmpty());
    EXPECT_FALSE(groupNames.contains(group->GroupName)) << group->GroupName.toStdString();
    EXPECT_FALSE(groupIds.contains(group->GroupId)) << group->GroupId;
    groupNames.insert(group->GroupName);
    groupIds.insert(group->GroupId);
  }

  QSet<QString> names;
  QSet<int> ids;
  QMap<int, int> perGroup;
  for (const ProfileSetting* p : profiles_) {
    SCOPED_TRACE(p->ProfileName.toStdString());
    EXPECT_FALSE(p->ProfileName.isEmpty());
    EXPECT_FALSE(names.contains(p->ProfileName));
    names.insert(p->ProfileName);
    // Stored numbers in 1..1000: stable across catalogue updates, and the user's own start at 1001.
    EXPECT_GE(p->ProfileId, 1);
    EXPECT_LE(p->ProfileId, 1000);
    EXPECT_FALSE(ids.contains(p->ProfileId));
    ids.insert(p->ProfileId);
    EXPECT_FALSE(p->Groups.isEmpty());
    for (const int32_t group : p->Groups) {
      EXPECT_NE(catalogue_.FindGroup(group), nullptr) << "group " << group;
      ++perGroup[group];
    }
  }
  EXPECT_EQ(catalogue_.LastProfileId(), 1000);
  for (int i = 0; i < catalogue_.GroupCount(); ++i) {
    const ProfileGroup* group = catalogue_.GroupAt(i);
    if (group->UserGroup == 0) {
      EXPECT_GT(perGroup.value(group->GroupId), 0) << group->GroupName.toStdString() << " is empty";
    }
  }
}

TEST_F(ShippedCatalogueTest, EveryChoiceEntrySplitsIntoValueAndLabel) {
  for (const ProfileSetting* p : profiles_) {
    SCOPED_TRACE(p->ProfileName.toStdString());
    const bool audioOnly = p->AudioFormat != 0;
    const std::vector<std::pair<const char*, const QString*>> numeric = {
        {"FrameRates", &p->FrameRates},
        {"VideoBitRates", &p->VideoBitRates},
        {"SampleRates", &p->SampleRates},
        {"Channels", &p->Channels},
        {"AudioBitRates", &p->AudioBitRates}};
    const std::vector<std::pair<const char*, const QString*>> named = {{"VideoCodecs", &p->VideoCodecs},
                                                                       {"AudioCodecs", &p->AudioCodecs}};
    for (const auto& [key, list] : numeric) {
      const bool videoList = key == std::string("FrameRates") || key == std::string("VideoBitRates");
      if (audioOnly && videoList) {
        EXPECT_TRUE(list->isEmpty()) << key << ": an audio-only profile offers no video choices";
        continue;
      }
      const std::vector<ProfileChoice> choices = ChoiceList(*list);
      ASSERT_TRUE(EveryEntryKept(*list, choices.size())) << key << ": " << list->toStdString();
      EXPECT_FALSE(choices.empty()) << key;
      const std::vector<ProfileNumberChoice> numbers = NumberChoiceList(*list);
      EXPECT_EQ(numbers.size(), choices.size())
          << key << ": a value is not a decimal number in " << list->toStdString();
      QSet<int32_t> seen;
      for (const ProfileNumberChoice& choice : numbers) {
        EXPECT_FALSE(seen.contains(choice.value)) << key << ": " << choice.value << " twice";
        seen.insert(choice.value);
        // Fewer than one channel is no choice to offer, though the bit-rate rules would take it as mono.
        if (key == std::string("Channels")) {
          EXPECT_GE(choice.value, 1) << key;
        }
      }
    }
    for (const auto& [key, list] : named) {
      if (audioOnly && key == std::string("VideoCodecs")) {
        EXPECT_TRUE(list->isEmpty());
        continue;
      }
      const std::vector<ProfileChoice> choices = ChoiceList(*list);
      ASSERT_TRUE(EveryEntryKept(*list, choices.size())) << key << ": " << list->toStdString();
      EXPECT_FALSE(choices.empty()) << key;
    }
    if (audioOnly) {
      EXPECT_TRUE(p->Resolutions.isEmpty());
    } else {
      EXPECT_FALSE(SplitList(p->Resolutions, u',').isEmpty());
    }
  }
}

TEST_F(ShippedCatalogueTest, EveryValueIsAmongItsOwnChoices) {
  for (const ProfileSetting* p : profiles_) {
    SCOPED_TRACE(p->ProfileName.toStdString());
    EXPECT_TRUE(Values(p->AudioCodecs).contains(p->AudioCodecName)) << p->AudioCodecName.toStdString();
    EXPECT_TRUE(Values(p->SampleRates).contains(QString::number(p->SampleRate))) << p->SampleRate;
    EXPECT_TRUE(Values(p->Channels).contains(QString::number(p->Channel))) << p->Channel;
    EXPECT_TRUE(Values(p->AudioBitRates).contains(QString::number(p->AudioBitRate))) << p->AudioBitRate;
    if (p->AudioFormat != 0) {
      EXPECT_TRUE(p->VideoCodecName.isEmpty());
      continue;
    }
    EXPECT_TRUE(Values(p->VideoCodecs).contains(p->VideoCodecName)) << p->VideoCodecName.toStdString();
    EXPECT_TRUE(SplitList(p->Resolutions, u',').contains(Size(*p))) << Size(*p).toStdString();
    EXPECT_TRUE(Values(p->FrameRates).contains(QString::number(p->FrameRate))) << p->FrameRate;
    EXPECT_TRUE(Values(p->VideoBitRates).contains(QString::number(p->VideoBitRate))) << p->VideoBitRate;
    EXPECT_EQ(p->KeepOriFrameRate, p->FrameRate < 0 ? 1 : 0) << "as the editor would have set it";
  }
}

// Whatever the user picks from a profile's lists passes the editor's checks.
TEST_F(ShippedCatalogueTest, EveryChoicePassesTheEditorsRules) {
  for (const ProfileSetting* p : profiles_) {
    SCOPED_TRACE(p->ProfileName.toStdString());
    if (p->AudioFormat == 0) {
      for (const QString& size : SplitList(p->Resolutions, u',')) {
        // The editor ignores what follows the height; a shipped entry has nothing there.
        const std::optional<ProfileResolution> read = ParseResolution(size);
        ASSERT_TRUE(read.has_value()) << size.toStdString();
        EXPECT_EQ(QString("%1*%2").arg(read->width).arg(read->height), size);
      }
    }
    for (const QString& codec : Values(p->AudioCodecs)) {
      for (const int32_t rate : Numbers(p->SampleRates)) {
        for (const int32_t channels : Numbers(p->Channels)) {
          for (const int32_t bitRate : Numbers(p->AudioBitRates)) {
            EXPECT_EQ(CheckAudioBitRate(codec, rate, channels, bitRate), QString())
                << codec.toStdString() << " " << rate << " Hz " << channels << " ch " << bitRate;
          }
        }
      }
    }
  }
}

TEST_F(ShippedCatalogueTest, TheEngineCanWriteEveryChoice) {
  for (const ProfileSetting* p : profiles_) {
    SCOPED_TRACE(p->ProfileName.toStdString());
    EXPECT_TRUE(p->FormatExt.startsWith('.') && p->FormatExt.size() > 1) << p->FormatExt.toStdString();
    // The engine record's text fields: 32 bytes with the terminator, 512 for the extra parameters.
    EXPECT_LT(p->FormatName.toUtf8().size(), 32);
    EXPECT_LT(p->ExtraParam.toUtf8().size(), 512);
    ASSERT_TRUE(kMuxers.contains(p->FormatName)) << p->FormatName.toStdString() << " is no muxer we map";
    const Muxer& muxer = kMuxers[p->FormatName];

    const QStringList videoCodecs = Values(p->VideoCodecs);
    if (p->AudioFormat == 0) {
      EXPECT_FALSE(muxer.video.isEmpty()) << "an audio-only muxer for a video profile";
    }
    for (const QString& codec : videoCodecs) {
      EXPECT_TRUE(kVideoEncoders.contains(codec)) << codec.toStdString();
      EXPECT_TRUE(muxer.video.contains(codec))
          << codec.toStdString() << " in " << p->FormatName.toStdString();
      EXPECT_LT(codec.toUtf8().size(), 32);
      if (codec == "mpeg1video" || codec == "mpeg2video") {
        for (const int rate : Numbers(p->FrameRates)) {
          EXPECT_TRUE(rate < 0 || kMpegFrameRates.contains(rate)) << rate << " fps";
        }
      }
      if (codec == "h263") {
        for (const QString& size : SplitList(p->Resolutions, u',')) {
          EXPECT_TRUE(kH263Sizes.contains(size)) << size.toStdString();
        }
      }
    }
    for (const QString& codec : Values(p->AudioCodecs)) {
      EXPECT_TRUE(kAudioEncoders.contains(codec)) << codec.toStdString();
      EXPECT_TRUE(muxer.audio.contains(codec))
          << codec.toStdString() << " in " << p->FormatName.toStdString();
      EXPECT_LT(codec.toUtf8().size(), 32);
      for (const int rate : Numbers(p->SampleRates)) {
        if (kSampleRates.contains(codec)) {
          EXPECT_TRUE(kSampleRates[codec].contains(rate)) << codec.toStdString() << " at " << rate;
        }
        if (p->FormatName == "flv" && codec == "libmp3lame") {
          EXPECT_TRUE(kFlvMp3Rates.contains(rate)) << rate;
        }
      }
    }

    if (p->ExtraParam.isEmpty()) {
      continue;
    }
    EXPECT_EQ(p->AudioFormat, 0) << "the extra parameters are for video";
    for (const QString& pair : p->ExtraParam.split(';')) {
      const qsizetype equals = pair.indexOf('=');
      ASSERT_GT(equals, 0) << "not key=value: " << pair.toStdString();
      const QString key = pair.left(equals);
      EXPECT_FALSE(pair.mid(equals + 1).isEmpty()) << pair.toStdString();
      EXPECT_FALSE(pair.contains(' ')) << pair.toStdString();
      if (key == "movflags") {
        EXPECT_TRUE(kMovflagsMuxers.contains(p->FormatName)) << p->FormatName.toStdString();
      } else if (kEncoderKeys.contains(key)) {
        for (const QString& codec : videoCodecs) {
          EXPECT_TRUE(kEncoderKeys[key].contains(codec))
              << key.toStdString() << " with " << codec.toStdString();
        }
      } else {
        EXPECT_TRUE(kVideoKeys.contains(key)) << "unknown key " << key.toStdString();
      }
    }
  }
}

// What people convert to: each of these is offered by at least one profile.
TEST_F(ShippedCatalogueTest, CoversTheCommonContainersAndCodecs) {
  struct Need {
    const char* what;
    bool audioOnly;
    QSet<QString> muxers;
    QSet<QString> codecs;  // the profile's own video codec, or audio codec for audio-only profiles
  };
  const std::vector<Need> needs = {
      {"MP4 with H.264", false, {"mp4"}, {"libx264"}},
      {"MKV with H.264", false, {"matroska"}, {"libx264"}},
      {"AVI with MPEG-4 Part 2", false, {"avi"}, {"mpeg4", "libxvid"}},
      {"MPG with MPEG-2", false, {"mpeg", "dvd"}, {"mpeg2video"}},
      {"TS with MPEG-2", false, {"mpegts"}, {"mpeg2video"}},
      {"WebM with VP8 or VP9", false, {"webm"}, {"libvpx", "libvpx-vp9"}},
      {"WMV", false, {"asf"}, {"wmv1", "wmv2"}},
      {"FLV", false, {"flv"}, kVideoEncoders},
      {"3GP", false, {"3gp"}, kVideoEncoders},
      {"MOV", false, {"mov"}, kVideoEncoders},
      {"MP3", true, {"mp3"}, {"libmp3lame"}},
      {"AAC or M4A", true, {"adts", "ipod"}, {"libfaac"}},
      {"AC3", true, {"ac3"}, {"ac3"}},
      {"MP2", true, {"mp2"}, {"mp2"}},
      {"WAV", true, {"wav"}, {"pcm_s16le", "pcm_s24le"}},
      {"FLAC", true, {"flac"}, {"flac"}},
      {"Ogg Vorbis", true, {"ogg"}, {"libvorbis"}},
      {"WMA", true, {"asf"}, {"wmav1", "wmav2"}},
  };
  for (const Need& need : needs) {
    const bool met = std::any_of(profiles_.begin(), profiles_.end(), [&need](const ProfileSetting* p) {
      const QString& codec = need.audioOnly ? p->AudioCodecName : p->VideoCodecName;
      return (p->AudioFormat != 0) == need.audioOnly && need.muxers.contains(p->FormatName) &&
             need.codecs.contains(codec);
    });
    EXPECT_TRUE(met) << need.what;
  }
}

}  // namespace
