#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "components/engine_records.h"
#include "components/field_text.h"
#include "components/single_task_view.h"
#include "components/stream_label.h"
#include "components/text_utf.h"

namespace {

AudioStreamEntry MakeAudio(int32_t id, const char* codec, const char* channels, const char* tag) {
  AudioStreamEntry entry{};
  entry.id = id;
  CopyTextToField(entry.codec, sizeof entry.codec, codec);
  CopyTextToField(entry.channels, sizeof entry.channels, channels);
  CopyTextToField(entry.tag, sizeof entry.tag, tag);
  return entry;
}

TEST(StreamLabel, IdInUpperCaseHexThenCodecChannelsAndLanguage) {
  EXPECT_EQ(AudioStreamLabel(MakeAudio(0x80, "ac3", "stereo", "eng")), "0x80 ac3 stereo eng");
  EXPECT_EQ(AudioStreamLabel(MakeAudio(0xBD, "mp2", "mono", "")), "0xBD mp2 mono ");
  EXPECT_EQ(AudioStreamLabel(MakeAudio(0, "aac", "5.1(side)", "fre")), "0x0 aac 5.1(side) fre");

  SubtitleStreamEntry subtitle{};
  subtitle.id = 0x20;
  CopyTextToField(subtitle.tag, sizeof subtitle.tag, "spa");
  EXPECT_EQ(SubtitleStreamLabel(subtitle), "0x20 spa");
}

// An engine may fill a text field to its last byte. The reader stops at the field: a label made from
// such an entry holds the whole field and nothing of the next one.
TEST(StreamLabel, AFieldWithoutTerminatorEndsAtItsWidth) {
  MediaInfo info{};
  AudioStreamEntry& entry = info.audioStreams[0];
  std::memset(entry.codec, 'c', sizeof entry.codec);
  std::memset(entry.tag, 't', sizeof entry.tag);
  std::memset(&info.audioStreams[1], 'X', sizeof info.audioStreams[1]);
  EXPECT_EQ(AudioStreamLabel(entry), "0x0 " + std::string(36, 'c') + "  " + std::string(10, 't'));

  CIOutput output{};
  std::memset(output.FormatName, 'f', sizeof output.FormatName);
  output.AudioFormat = 0x41414141;
  EXPECT_EQ(FieldText(output.FormatName), std::string(32, 'f'));
}

TEST(RecordText, A511BytePathFitsWithItsTerminator) {
  auto input = std::make_unique<CIInput>();
  std::memset(input.get(), 0x55, sizeof *input);
  const std::string path(511, 'p');
  CopyTextToField(input->path, sizeof input->path, path);
  EXPECT_EQ(FieldText(input->path), path);
  EXPECT_EQ(input->path[511], '\0');
  uint8_t firstAfter = 0;
  std::memcpy(&firstAfter, &input->effects, 1);
  EXPECT_EQ(firstAfter, 0x55) << "the field after the path is untouched";
}

class SingleTaskViewCopy : public ::testing::Test {
 protected:
  // An item whose watermark picture is in use: the input's pointer designates the item's own text.
  static std::unique_ptr<SingleTaskView> ItemWithMark() {
    auto view = std::make_unique<SingleTaskView>();
    view->watermark.enabled = true;
    view->watermark.type = 2;
    view->watermark.markFile = "/home/me/Pictures/a rather long logo file name.png";
    view->input.mark.markFile = view->watermark.markFile.c_str();
    view->input.mark.markWidth = 40;
    return view;
  }
};

// The editor keeps an undo copy and restores the item from it; an engine reads the pointer long
// after. A copy that kept the original's pointer would read freed text once the original goes.
TEST_F(SingleTaskViewCopy, ACopyDesignatesItsOwnText) {
  auto original = ItemWithMark();
  const SingleTaskView copy(*original);
  original.reset();
  ASSERT_NE(copy.input.mark.markFile, nullptr);
  EXPECT_EQ(copy.input.mark.markFile, copy.watermark.markFile.c_str());
  EXPECT_STREQ(copy.input.mark.markFile, "/home/me/Pictures/a rather long logo file name.png");
  EXPECT_EQ(copy.input.mark.markWidth, 40);
}

TEST_F(SingleTaskViewCopy, RestoringFromTheUndoCopyDesignatesTheItemsText) {
  auto item = ItemWithMark();
  auto undo = std::make_unique<SingleTaskView>(*item);
  item->watermark.markFile = "/tmp/changed.png";
  item->input.mark.markFile = nullptr;

  *item = *undo;
  undo.reset();
  EXPECT_EQ(item->input.mark.markFile, item->watermark.markFile.c_str());
  EXPECT_STREQ(item->input.mark.markFile, "/home/me/Pictures/a rather long logo file name.png");

  *item = *item;
  EXPECT_EQ(item->input.mark.markFile, item->watermark.markFile.c_str());
}

TEST_F(SingleTaskViewCopy, NoWatermarkStaysNone) {
  auto item = ItemWithMark();
  item->input.mark.markFile = nullptr;
  const SingleTaskView copy(*item);
  EXPECT_EQ(copy.input.mark.markFile, nullptr);
  SingleTaskView assigned;
  assigned = copy;
  EXPECT_EQ(assigned.input.mark.markFile, nullptr);
}

}  // namespace
