#include "convert/profile_to_engine.h"

#include <gtest/gtest.h>

#include <QString>
#include <cstring>
#include <string>

#include "components/field_text.h"

namespace {

ProfileSetting SampleProfile() {
  ProfileSetting profile;
  profile.ProfileId = 46;
  profile.FormatExt = ".mp4";
  profile.FormatName = "mp4";
  profile.AudioFormat = 0;
  profile.VideoCodecName = "libx264";
  profile.Width = 320;
  profile.Height = 240;
  profile.KeepOriFrameRate = 1;
  profile.FrameRate = -1;
  profile.VideoBitRate = 800000;
  profile.AudioCodecName = "libfaac";
  profile.SampleRate = 44100;
  profile.Channel = 2;
  profile.AudioBitRate = 128000;
  profile.ExtraParam = "pix_fmt=yuv420p;profile=baseline";
  return profile;
}

TEST(ProfileToEngineRecord, CopiesEveryEncoderFieldAndLeavesThePathAlone) {
  CIOutput out{};
  std::strcpy(out.outputFile, "/out/clip.mp4");
  std::memset(out.FormatName, 'x', sizeof out.FormatName);
  ProfileToEngineRecord(SampleProfile(), out);

  EXPECT_EQ(FieldText(out.outputFile), "/out/clip.mp4");
  EXPECT_EQ(FieldText(out.FormatName), "mp4");
  EXPECT_EQ(out.FormatName[31], '\0') << "what the text does not fill is zero";
  EXPECT_EQ(out.AudioFormat, 0);
  EXPECT_EQ(FieldText(out.VideoCodecName), "libx264");
  EXPECT_EQ(out.Width, 320);
  EXPECT_EQ(out.Height, 240);
  EXPECT_EQ(out.FrameRate, -1) << "a negative rate is how the engine learns to keep the source's";
  EXPECT_EQ(out.VideoBitRate, 800000);
  EXPECT_EQ(FieldText(out.AudioCodecName), "libfaac");
  EXPECT_EQ(out.SampleRate, 44100);
  EXPECT_EQ(out.Channel, 2);
  EXPECT_EQ(out.AudioBitRate, 128000);
  EXPECT_EQ(FieldText(out.ExtraParam), "pix_fmt=yuv420p;profile=baseline");
}

TEST(ProfileToEngineRecord, AnEmptyProfileGivesZeroFields) {
  CIOutput out{};
  std::memset(&out, 0x5A, sizeof out);
  ProfileToEngineRecord(ProfileSetting(), out);
  const char zeros[512] = {};
  EXPECT_EQ(std::memcmp(out.FormatName, zeros, sizeof out.FormatName), 0);
  EXPECT_EQ(std::memcmp(out.VideoCodecName, zeros, sizeof out.VideoCodecName), 0);
  EXPECT_EQ(std::memcmp(out.AudioCodecName, zeros, sizeof out.AudioCodecName), 0);
  EXPECT_EQ(std::memcmp(out.ExtraParam, zeros, sizeof out.ExtraParam), 0);
  EXPECT_EQ(out.Width, 0);
  EXPECT_EQ(out.outputFile[0], 0x5A) << "the path is not the profile's";
}

struct TextCase {
  const char* name;
  QString text;
  std::string expected;  // the 32-byte field's bytes up to its first zero, or all of them
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

class TextFieldTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextFieldTest, NamesAreCutAtTheFieldWithoutSplittingACharacter) {
  const TextCase& c = GetParam();
  ProfileSetting profile;
  profile.FormatName = c.text;
  CIOutput out{};
  ProfileToEngineRecord(profile, out);
  EXPECT_EQ(FieldText(out.FormatName), c.expected);
}

const TextCase kFormatCases[] = {
    {"short", "mp4", "mp4"},
    {"exactly_the_width", QString(32, u'a'), std::string(32, 'a')},
    {"longer_is_cut", QString(40, u'b'), std::string(32, 'b')},
    // "é" takes two bytes: at bytes 31 and 32 it would straddle the end, so it is left out whole.
    {"no_split_character", QString(31, u'c') + QString::fromUtf8("é"), std::string(31, 'c')},
    {"two_byte_character_that_fits", QString(30, u'c') + QString::fromUtf8("é"), std::string(30, 'c') + "é"},
    {"four_byte_character", QString(29, u'd') + QString::fromUtf8("😀"), std::string(29, 'd')},
    {"format_name_is_not_trimmed", " mp4 ", " mp4 "},
};
INSTANTIATE_TEST_SUITE_P(FormatName, TextFieldTest, ::testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileToEngineRecord, CodecNamesLoseBlanksAndControlCharactersAtBothEnds) {
  const struct {
    QString text;
    std::string expected;
  } cases[] = {
      {" libx264 ", "libx264"},
      {"\tlibx264\r\n", "libx264"},
      {QString(u'\x01') + "aac" + QString(u'\x7f'), "aac"},
      {QString(u'\x00a0') + "aac", "aac"},
      {"lib x264", "lib x264"},
      {"   ", ""},
      // Trimmed first, then cut: the blanks do not use up the field.
      {"    " + QString(32, u'e') + "  ", std::string(32, 'e')},
  };
  for (const auto& c : cases) {
    ProfileSetting profile;
    profile.VideoCodecName = c.text;
    profile.AudioCodecName = c.text;
    CIOutput out{};
    ProfileToEngineRecord(profile, out);
    EXPECT_EQ(FieldText(out.VideoCodecName), c.expected) << c.text.toStdString();
    EXPECT_EQ(FieldText(out.AudioCodecName), c.expected) << c.text.toStdString();
  }
}

TEST(ProfileToEngineRecord, ExtraParamIsCutAt512BytesAndKeptAsItIs) {
  ProfileSetting profile;
  profile.ExtraParam = " crf=23;" + QString(600, u'p');
  CIOutput out{};
  ProfileToEngineRecord(profile, out);
  const std::string_view text = FieldText(out.ExtraParam);
  ASSERT_EQ(text.size(), 512u);
  EXPECT_EQ(text.substr(0, 8), " crf=23;");
  EXPECT_EQ(text.substr(8), std::string(504, 'p'));
}

}  // namespace
