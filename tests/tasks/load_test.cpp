#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "components/field_text.h"
#include "settings/edition.h"
#include "tests/tasks/task_test_support.h"

namespace {

QString Refusal(const QString& path) {
  return "File '" + path + "' is not a valid media file or its format is not supported.";
}

using LoadTest = TaskListTest;

TEST_F(LoadTest, AnEmptyFileIsRefusedWithoutStartingTheEngine) {
  const QString empty = Root("empty.mp4");
  WriteFile(empty, QByteArray());
  FakeFfPreview::table[empty.toStdString()] = VideoMedia(10);

  EXPECT_EQ(list_->LoadFile(empty, mp4_, 3), -1);
  EXPECT_EQ(list_->LoadFile(Root("missing.mp4"), mp4_, 3), -1);
  EXPECT_EQ(FakeFfPreview::created, 0);

  EXPECT_FALSE(list_->LoadFiles({empty}, true, mp4_, 3));
  EXPECT_EQ(environment_.messages, std::vector<QString>({Refusal(empty)}));
  EXPECT_EQ(tree_.TopLevelCount(), 0);
}

struct ProbeCase {
  const char* name;
  MediaInfo media;
  bool probes;  // what Probe returns
  bool accepted;
};

void PrintTo(const ProbeCase& c, std::ostream* os) {
  *os << c.name;
}

class ProbeAcceptance : public TaskListTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeAcceptance, TakesOnlyFilesOfAWholeSecondWithAudioOrVideo) {
  const ProbeCase& c = GetParam();
  const QString path = Media("file.mkv", c.media);
  if (!c.probes) {
    FakeFfPreview::table.clear();
  }
  EXPECT_EQ(list_->LoadFile(path, mp4_, 3), c.accepted ? 0 : -1);
  EXPECT_EQ(tree_.TopLevelCount(), c.accepted ? 1 : 0);
  EXPECT_EQ(FakeFfPreview::probes, 1);
  EXPECT_EQ(FakeFfPreview::alive, 0) << "the engine is released after its one probe";
}

MediaInfo WithoutStreams(MediaInfo media) {
  media.videoCount = 0;
  media.audioCount = 0;
  return media;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeAcceptance,
    ::testing::Values(ProbeCase{"length_0_9", VideoMedia(0.9), true, false},
                      ProbeCase{"length_0_999", VideoMedia(0.999), true, false},
                      ProbeCase{"length_1_0", VideoMedia(1.0), true, true},
                      ProbeCase{"audio_only", AudioMedia(3.0), true, false},
                      ProbeCase{"no_streams", WithoutStreams(VideoMedia(5.0)), true, false},
                      ProbeCase{"duration_not_a_number", VideoMedia(std::numeric_limits<double>::quiet_NaN()),
                                true, false},
                      ProbeCase{"engine_refuses", VideoMedia(10.0), false, false}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

TEST_F(LoadTest, AnItemStartsFromItsProbeProfileAndGroup) {
  MediaInfo media = VideoMedia(12.7, 720, 576);
  media.interlaced = 1;
  AddAudio(media, 128, "ac3", "stereo", "eng");
  AddAudio(media, 0x81, "aac", "5.1(side)", "");
  AddSubtitle(media, 3, "eng");
  const QString path = Media("holiday.2024.mkv", media);
  const TaskNode* node = Add(path, &mp4_);

  ASSERT_NE(node, nullptr);
  const MuiItemInfo& item = *node->Item();
  EXPECT_EQ(item.fileName, "holiday.2024.mkv");
  EXPECT_EQ(item.sourcePath, path);
  EXPECT_EQ(item.outputName(), "holiday.2024.mp4");
  EXPECT_EQ(item.itemKind(), kSingleItem);
  ASSERT_EQ(item.audioTracks.size(), 2u);
  EXPECT_EQ(item.audioTracks[0].label, "0x80 ac3 stereo eng");
  EXPECT_EQ(item.audioTracks[0].id, 128);
  EXPECT_EQ(item.audioTracks[1].label, "0x81 aac 5.1(side) ");
  ASSERT_EQ(item.subtitles.size(), 2u);
  EXPECT_EQ(item.subtitles[0].label, "No Subtitle");
  EXPECT_EQ(item.subtitles[0].id, -1);
  EXPECT_EQ(item.subtitles[1].label, "0x3 eng");
  EXPECT_EQ(item.subtitleIndex, 0);
  EXPECT_EQ(item.audioIndex, 0);

  const CIInput& input = item.input;
  EXPECT_EQ(FieldText(input.path), path.toStdString());
  EXPECT_EQ(input.effects.volume, 256);
  EXPECT_EQ(input.effects.deinterlace, 1);
  EXPECT_EQ(input.effects.brightness, 0.0);
  EXPECT_EQ(input.clipStart, 0.0);
  EXPECT_EQ(input.clipLength, 12.7);
  EXPECT_EQ(input.cropX, 0);
  EXPECT_EQ(input.cropWidth, 720);
  EXPECT_EQ(input.cropHeight, 576);
  EXPECT_EQ(input.zoomMode, 1);
  EXPECT_EQ(input.videoId, 0);
  EXPECT_EQ(input.audioId, 128);
  EXPECT_EQ(input.subtitleId, -1);
  EXPECT_EQ(input.mark.markFile, nullptr);
  EXPECT_EQ(std::memcmp(&input.media, &media, sizeof media), 0);

  EXPECT_FALSE(item.watermark.enabled);
  EXPECT_EQ(item.watermark.refWidth, 640);
  EXPECT_EQ(item.watermark.refHeight, 480);
  EXPECT_EQ(item.groupId, 3);
  EXPECT_EQ(item.profile.ProfileName, "MP4");
  EXPECT_EQ(item.mergedLength, 0.0);
  EXPECT_EQ(node->GetCheckType(), CheckType::TriStateCheckBox);
  EXPECT_EQ(node->GetCheckState(), CheckState::CheckedNormal);

  EXPECT_EQ(list_->GetText(node, 0), "holiday.2024.mkv");
  EXPECT_EQ(list_->GetText(node, 1), "00:00:12");
  EXPECT_EQ(list_->GetText(node, 2), "00:00:12");
  EXPECT_EQ(list_->GetText(node, 3), "holiday.2024.mp4");
  EXPECT_EQ(list_->GetHint(node, 0), path);
  EXPECT_EQ(list_->GetHint(node, 3), "holiday.2024.mp4");
  EXPECT_EQ(list_->GetHint(node, 1), "");
  EXPECT_EQ(list_->GetImageIndex(node, 0), 1);
  EXPECT_EQ(list_->GetImageIndex(node, 3), -1);
}

TEST_F(LoadTest, AudioOnlyAndTracklessFilesGetTheirOwnValues) {
  MediaInfo song = AudioMedia(200.0);
  AddAudio(song, 0, "mp3", "stereo", "");
  const MuiItemInfo& audio = *Add(Media("song.mp3", song))->Item();
  EXPECT_EQ(list_->GetImageIndex(audio.Node(), 0), 0);
  EXPECT_EQ(audio.audioIndex, 0);
  EXPECT_EQ(audio.input.videoId, -1);
  EXPECT_EQ(audio.input.audioId, 0);
  ASSERT_EQ(audio.subtitles.size(), 1u);
  EXPECT_EQ(audio.subtitles[0].label, "No Subtitle");

  const MuiItemInfo& silent = *Add(Video("silent.avi"))->Item();
  EXPECT_TRUE(silent.audioTracks.empty());
  EXPECT_EQ(silent.audioIndex, -1);
  EXPECT_EQ(silent.input.audioId, -1);
  EXPECT_EQ(silent.subtitles.size(), 1u);
}

TEST_F(LoadTest, LengthsNoClockShowsAreShownAsTheNearestThatIs) {
  const TaskNode* node = Add(Video("endless.ts", 1e12));
  EXPECT_EQ(list_->GetText(node, 1), "596523:14:07");
  node->Item()->input.clipLength = -3;
  EXPECT_EQ(list_->GetText(node, 2), "00:00:00");
}

TEST_F(LoadTest, WithoutAnEngineEveryFileIsRefused) {
  const QString clip = Video("clip.avi");
  engine_.reset();
  EXPECT_EQ(list_->LoadFile(clip, mp4_, 3), -1);
  EXPECT_EQ(tree_.TopLevelCount(), 0);
}

TEST_F(LoadTest, StreamCountsBeyondTheTablesAreCutToThem) {
  MediaInfo media = VideoMedia(4.0);
  for (int i = 0; i < kMaxAudioStreams; ++i) {
    AddAudio(media, i + 1, "aac", "mono", "");
  }
  media.audioCount = 1000;
  media.subtitleCount = -5;
  const MuiItemInfo& item = *Add(Media("odd.mkv", media))->Item();
  EXPECT_EQ(item.audioTracks.size(), size_t{kMaxAudioStreams});
  EXPECT_EQ(item.input.media.audioCount, kMaxAudioStreams) << "later readers walk the table by it";
  EXPECT_EQ(item.input.media.subtitleCount, 0);
  EXPECT_EQ(item.subtitles.size(), 1u);
}

TEST_F(LoadTest, OutputNamesAreUniqueAndFreedNamesAreTakenAgain) {
  const QString clip = Video("clip.avi");
  Add(clip);
  Add(clip);
  Add(clip);
  EXPECT_EQ(TopNames(), QStringList({"clip.mp4", "clip-1.mp4", "clip-2.mp4"}));

  // With clip.mp4 and clip-1.mp4 taken by other sources, clip.avi still gets the next free number.
  list_->ClearAll();
  Add(Video("a/clip.mkv"));
  Add(Video("clip-1.avi"));
  Add(clip);
  EXPECT_EQ(TopNames(), QStringList({"clip.mp4", "clip-1.mp4", "clip-2.mp4"}));
  tree_.DeleteNode(TopLevel()[0]);
  Add(clip);
  Add(clip);
  Add(Video("noext"));
  Add(Video("Clip.avi"));
  EXPECT_EQ(TopNames(),
            QStringList({"clip-1.mp4", "clip-2.mp4", "clip.mp4", "clip-3.mp4", "noext.mp4", "Clip.mp4"}));
}

TEST_F(LoadTest, APathTheInputRecordCannotHoldIsRefused) {
  // A folder path padded so the file's whole path is exactly 511 or 512 bytes of UTF-8.
  auto pathOfLength = [&](int length, const QString& file) {
    QString folder = Root("");
    while (folder.toUtf8().size() + file.toUtf8().size() < length) {
      const int room = length - static_cast<int>(folder.toUtf8().size() + file.toUtf8().size());
      folder += QString(std::min(room, 200), u'd');
      if (folder.toUtf8().size() + file.toUtf8().size() < length) {
        folder += u'/';
      }
    }
    return folder + file;
  };
  const QString fits = pathOfLength(511, "/ok.avi");
  const QString tooLong = pathOfLength(512, "/no.avi");
  ASSERT_EQ(fits.toUtf8().size(), 511);
  ASSERT_EQ(tooLong.toUtf8().size(), 512);
  for (const QString& path : {fits, tooLong}) {
    WriteFile(path);
    FakeFfPreview::table[path.toStdString()] = VideoMedia(3);
  }

  EXPECT_TRUE(list_->LoadFiles({tooLong, fits}, true, mp4_, 3));
  EXPECT_EQ(environment_.messages, std::vector<QString>({Refusal(tooLong)}));
  ASSERT_EQ(tree_.TopLevelCount(), 1);
  const CIInput& input = tree_.GetFirst()->Item()->input;
  EXPECT_EQ(FieldText(input.path), fits.toStdString());
  EXPECT_EQ(input.path[511], '\0');
  EXPECT_EQ(FakeFfPreview::probes, 1) << "the long path never reaches the engine";
}

TEST_F(LoadTest, ABatchGoesOnPastRefusalsAndEndsOnTheLastItemAdded) {
  const QString first = Video("first.avi");
  const QString refused = Root("refused.avi");
  WriteFile(refused);
  const QString last = Video("last.avi");
  Add(Video("earlier.avi"));
  tree_.SetSelected(tree_.GetFirst(), true);

  EXPECT_TRUE(list_->LoadFiles({first, refused, last}, true, mp4_, 3));
  EXPECT_EQ(environment_.messages, std::vector<QString>({Refusal(refused)}));
  EXPECT_EQ(environment_.processed, 3) << "window messages run before each file";
  EXPECT_EQ(environment_.deepestBusy, 1);
  EXPECT_EQ(environment_.busyDepth, 0);
  EXPECT_EQ(tree_.FocusedNode(), tree_.GetLastTopLevel());
  EXPECT_EQ(tree_.SelectedNodes(), std::vector<TaskNode*>({tree_.GetLastTopLevel()}));

  environment_.messages.clear();
  EXPECT_FALSE(list_->LoadFiles({refused}, false, mp4_, 3));
  EXPECT_TRUE(environment_.messages.empty());
  EXPECT_EQ(environment_.busyDepth, 0);
}

TEST_F(LoadTest, WhatRunsBetweenFilesMayClearTheListOrDestroyIt) {
  const QString clip = Video("clip.avi");
  environment_.onProcess = [&](int call) {
    if (call == 2) {
      list_->ClearAll();
    }
  };
  EXPECT_TRUE(list_->LoadFiles({clip, clip, clip}, true, mp4_, 3));
  EXPECT_EQ(TopNames(), QStringList({"clip.mp4", "clip-1.mp4"}));

  environment_.processed = 0;
  environment_.onProcess = [&](int call) {
    if (call == 2) {
      list_.reset();
    }
  };
  TVirtualStringTreeHelper* list = list_.get();
  EXPECT_FALSE(list->LoadFiles({clip, clip, clip}, true, mp4_, 3));
  EXPECT_EQ(tree_.TopLevelCount(), 0) << "the list clears its tree when it goes";
  EXPECT_EQ(environment_.busyDepth, 0);
}

TEST_F(LoadTest, AFolderLoadsItsDeepestFilesFirstAndRefusesQuietly) {
  Video("top/b.avi");
  Video("top/a.mkv");
  Video("top/sub/mid.mp4");
  Video("top/sub/deeper/deep.mov");
  WriteFile(Root("top/sub/deeper/broken.avi"));
  WriteFile(Root("top/sub/empty.avi"), QByteArray());
  ASSERT_TRUE(QFile::link(Root("top"), Root("top/sub/deeper/loop")));

  EXPECT_TRUE(list_->LoadFolder(Root("top"), mp4_, 3));
  EXPECT_EQ(TopNames(), QStringList({"deep.mp4", "mid.mp4", "a.mp4", "b.mp4"}));
  EXPECT_TRUE(environment_.messages.empty());
  EXPECT_EQ(tree_.FocusedNode(), tree_.GetLastTopLevel());

  EXPECT_FALSE(list_->LoadFolder(Root("nowhere"), mp4_, 3));
  EXPECT_FALSE(list_->LoadFolder(Root("top/sub/deeper/broken.avi"), mp4_, 3));
  ASSERT_TRUE(QDir().mkpath(Root("hollow")));
  EXPECT_FALSE(list_->LoadFolder(Root("hollow"), mp4_, 3));
}

TEST_F(LoadTest, ADropLoadsFilesAndFoldersInDropOrder) {
  const QString one = Video("one.avi");
  Video("folder/inner/inside.avi");
  Video("folder/near.avi");
  WriteFile(Root("folder/quiet.avi"));
  const QString refused = Root("loud.avi");
  WriteFile(refused);
  const QString two = Video("two.avi");

  EXPECT_TRUE(list_->DropFiles({one, Root("folder"), refused, two}, mp4_, 3));
  EXPECT_EQ(TopNames(), QStringList({"one.mp4", "inside.mp4", "near.mp4", "two.mp4"}));
  EXPECT_EQ(environment_.messages, std::vector<QString>({Refusal(refused)}));
  EXPECT_FALSE(list_->DropFiles({}, mp4_, 3));
}

TEST_F(LoadTest, TheExtensionTestUsesTheNamesLastDot) {
  EXPECT_TRUE(IsSupportedFile(context_, Root("any.thing")));
  EXPECT_TRUE(IsSupportedFile(context_, Root("noext")));

  int audioEdition = -1;
  for (int i = 0; i < kNoEdition && audioEdition < 0; ++i) {
    if (InputOf(i) == EditionInput::kAudio) {
      audioEdition = i;
    }
  }
  ASSERT_GE(audioEdition, 0);
  context_.productName = QString::fromUtf8(EditionList[static_cast<size_t>(audioEdition)]);
  EXPECT_TRUE(IsSupportedFile(context_, "/music/song.MP3"));
  EXPECT_FALSE(IsSupportedFile(context_, "/music/clip.avi"));
  EXPECT_FALSE(IsSupportedFile(context_, "/music.mp3/noext"));
  EXPECT_FALSE(IsSupportedFile(context_, "/music/mp3"));
}

}  // namespace
