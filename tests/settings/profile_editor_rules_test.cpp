// The profile editor's rules without a window: list splitting, choice lists, the typed resolution, the
// resolution box's key filter and the audio bit rate each codec allows.

#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/profile_editor_rules.h"

namespace {

std::string Quoted(const QString& text) {
  return "\"" + text.toStdString() + "\"";
}

// --- SplitList -------------------------------------------------------------------------------------

TEST(SplitListTest, DropsEmptyPiecesAndKeepsTheRestUntouched) {
  struct Case {
    QString text;
    QChar separator;
    QStringList pieces;
  };
  const std::vector<Case> cases = {
      {"a,b,c", u',', {"a", "b", "c"}},
      {"abc", u',', {"abc"}},
      {"", u',', {}},
      {",", u',', {}},
      {",,,", u',', {}},
      // Separators in a row and at either end give no empty piece.
      {"a,,b", u',', {"a", "b"}},
      {",a,b", u',', {"a", "b"}},
      {"a,b,", u',', {"a", "b"}},
      {",,a,,,b,,", u',', {"a", "b"}},
      // Nothing is trimmed: a blank piece is not an empty one.
      {" a , b ", u',', {" a ", " b "}},
      {"a, ,b", u',', {"a", " ", "b"}},
      // Only the given separator splits.
      {"mp4$MPEG-4", u'$', {"mp4", "MPEG-4"}},
      {"a$b,c$d", u'$', {"a", "b,c", "d"}},
      {"a$b,c$d", u',', {"a$b", "c$d"}},
      {"$$a$$", u'$', {"a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Quoted(c.text) + " split at '" + QString(c.separator).toStdString() + "'");
    EXPECT_EQ(SplitList(c.text, c.separator), c.pieces);
  }
}

// --- Choice lists ----------------------------------------------------------------------------------

using Rows = std::vector<std::pair<QString, QString>>;

Rows RowsOf(const std::vector<ProfileChoice>& choices) {
  Rows rows;
  for (const ProfileChoice& choice : choices) {
    rows.emplace_back(choice.value, choice.label);
  }
  return rows;
}

TEST(ChoiceListTest, KeepsWellFormedEntriesInOrderAndLeavesOutDamagedOnes) {
  struct Case {
    QString list;
    Rows rows;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"libx264$H.264", {{"libx264", "H.264"}}},
      {"libx264$H.264,mpeg4$MPEG-4 Part 2,flv$Flash Video",
       {{"libx264", "H.264"}, {"mpeg4", "MPEG-4 Part 2"}, {"flv", "Flash Video"}}},
      // Empty entries are no entries.
      {",a$A,,b$B,", {{"a", "A"}, {"b", "B"}}},
      // Blanks belong to the value and the label.
      {" a $ A ", {{" a ", " A "}}},
      // Each damaged entry costs only itself.
      {"a$A,broken,b$B", {{"a", "A"}, {"b", "B"}}},
      {"a$,b$B", {{"b", "B"}}},
      {"$A,b$B", {{"b", "B"}}},
      {"$,b$B", {{"b", "B"}}},
      {"a$A$extra,b$B", {{"b", "B"}}},
      // A second "$" makes the entry damaged even where the pieces would still be two.
      {"a$$A,b$B", {{"b", "B"}}},
      {"$a$A,b$B", {{"b", "B"}}},
      {"a$A$,b$B", {{"b", "B"}}},
      {"broken,also broken", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Quoted(c.list));
    EXPECT_EQ(RowsOf(ChoiceList(c.list)), c.rows);
  }
}

using NumberRows = std::vector<std::pair<int32_t, QString>>;

NumberRows RowsOf(const std::vector<ProfileNumberChoice>& choices) {
  NumberRows rows;
  for (const ProfileNumberChoice& choice : choices) {
    rows.emplace_back(choice.value, choice.label);
  }
  return rows;
}

TEST(NumberChoiceListTest, KeepsDecimalThirtyTwoBitValuesOnly) {
  struct Case {
    QString list;
    NumberRows rows;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"25$25 fps,30$30 fps", {{25, "25 fps"}, {30, "30 fps"}}},
      // A negative frame rate means "keep the original".
      {"-1$Keep original,25$25", {{-1, "Keep original"}, {25, "25"}}},
      {"+8$8", {{8, "8"}}},
      {"0$None", {{0, "None"}}},
      {"044100$44.1 kHz", {{44100, "44.1 kHz"}}},
      {"2147483647$max,-2147483648$min", {{2147483647, "max"}, {-2147483647 - 1, "min"}}},
      // Values that are no decimal integer, or none that fits 32 bits, are left out with their row.
      {"abc$A,48000$48 kHz", {{48000, "48 kHz"}}},
      {"2.5$a,1e3$b,0x10$c,12a$d,-$e,+$f,7$ok", {{7, "ok"}}},
      {"128 $a,64$b", {{64, "b"}}},
      {"2147483648$over,-2147483649$under,99999999999999999999$far,1$one", {{1, "one"}}},
      {"4294967297$wraps to one,2$two", {{2, "two"}}},
      // Damaged entries go as in any choice list.
      {"1$a$b,2$,$3,4$four", {{4, "four"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Quoted(c.list));
    EXPECT_EQ(RowsOf(NumberChoiceList(c.list)), c.rows);
  }
}

// --- Resolution ------------------------------------------------------------------------------------

struct ResolutionCase {
  QString text;
  std::optional<std::pair<int32_t, int32_t>> size;  // nothing when rejected
};

void ExpectResolutions(const std::vector<ResolutionCase>& cases) {
  for (const ResolutionCase& c : cases) {
    SCOPED_TRACE(Quoted(c.text));
    const std::optional<ProfileResolution> read = ParseResolution(c.text);
    ASSERT_EQ(read.has_value(), c.size.has_value());
    if (read) {
      EXPECT_EQ(read->width, c.size->first);
      EXPECT_EQ(read->height, c.size->second);
    }
  }
}

TEST(ResolutionTest, AcceptsEvenSizesWithinTheLimitsWrittenWithAnySeparatorSpelling) {
  ExpectResolutions({
      {"640x480", {{640, 480}}},
      {"640X480", {{640, 480}}},
      {"640*480", {{640, 480}}},
      {"176*144", {{176, 144}}},
      // Both ends of both ranges.
      {"64*64", {{64, 64}}},
      {"1920*1280", {{1920, 1280}}},
      {"64x1280", {{64, 1280}}},
      {"1920X64", {{1920, 64}}},
  });
}

TEST(ResolutionTest, RejectsOddSizes) {
  ExpectResolutions({
      {"638*481", std::nullopt},
      {"639*480", std::nullopt},
      {"641x481", std::nullopt},
      {"65*64", std::nullopt},
      {"1920*1279", std::nullopt},
  });
}

TEST(ResolutionTest, RejectsSizesOutsideTheLimits) {
  ExpectResolutions({
      {"1922*1080", std::nullopt},
      {"62*64", std::nullopt},
      {"64*62", std::nullopt},
      {"1920*1282", std::nullopt},
      // The height's ceiling is not the width's, nor the other way round.
      {"1280*1920", std::nullopt},
      {"1440*1280", {{1440, 1280}}},
      {"0*0", std::nullopt},
      {"-640*480", std::nullopt},
      {"640*-480", std::nullopt},
      {"-1920*-1280", std::nullopt},
  });
}

TEST(ResolutionTest, ReadsTwoNumbersWithBlanksBeforeEachAndIgnoresWhatFollows) {
  ExpectResolutions({
      {" 640*480", {{640, 480}}},
      {"640* 480", {{640, 480}}},
      {"\t640x \t480", {{640, 480}}},
      {"+640*+480", {{640, 480}}},
      {"0640*00480", {{640, 480}}},
      // Whatever follows the height is not read.
      {"640*480 ", {{640, 480}}},
      {"640*480 pixels", {{640, 480}}},
      {"640*480*2", {{640, 480}}},
      {"640x480x", {{640, 480}}},
      {"640*4801", std::nullopt},
  });
}

TEST(ResolutionTest, RejectsTextWithoutTwoNumbers) {
  ExpectResolutions({
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"abc", std::nullopt},
      {"wide", std::nullopt},
      {"640", std::nullopt},
      {"640*", std::nullopt},
      {"640x", std::nullopt},
      {"*480", std::nullopt},
      {"x480", std::nullopt},
      {"*", std::nullopt},
      {"640**480", std::nullopt},
      {"640xx480", std::nullopt},
      {"640*abc", std::nullopt},
      {"640-480", std::nullopt},
      {"640,480", std::nullopt},
      {"640 480", std::nullopt},
      {"a640*480", std::nullopt},
      // Blanks are allowed before a number, not before the separator.
      {"640 *480", std::nullopt},
      {"640 x 480", std::nullopt},
      // Only plain blanks lead a number.
      {QStringLiteral("\u00a0640*480"), std::nullopt},
      // A sign alone is no number.
      {"-*480", std::nullopt},
      {"640*+", std::nullopt},
  });
}

TEST(ResolutionTest, RejectsNumbersBeyondThirtyTwoBitsRatherThanWrappingThem) {
  ExpectResolutions({
      // 2^32 + 640 and 2^32 + 480 would wrap onto an accepted size.
      {"4294967936*480", std::nullopt},
      {"640*4294967776", std::nullopt},
      {"2147483648*480", std::nullopt},
      {"640*2147483648", std::nullopt},
      {"99999999999999999999999999*480", std::nullopt},
      {"640*-99999999999999999999999999", std::nullopt},
  });
}

TEST(ResolutionKeyTest, TakesDigitsTheSeparatorsAndBackspaceOnly) {
  for (const QChar c : QStringLiteral("0123456789*xX\b")) {
    EXPECT_TRUE(IsResolutionKey(c)) << "U+" << std::hex << static_cast<unsigned>(c.unicode());
  }
  // Neighbours of the accepted characters, blanks, signs and digits of other scripts.
  for (const QChar c : QStringLiteral(" \t\r\n/:)+,-.aAwyYzZ\x7f\u00d7\u0660\uff10\uff58")) {
    EXPECT_FALSE(IsResolutionKey(c)) << "U+" << std::hex << static_cast<unsigned>(c.unicode());
  }
}

// --- Audio bit rate --------------------------------------------------------------------------------

struct BitRateCase {
  const char* codec;
  int32_t sampleRate;
  int32_t channels;
  int32_t bitRate;
  const char* message;  // "" when accepted
};

void ExpectBitRates(const std::vector<BitRateCase>& cases) {
  for (const BitRateCase& c : cases) {
    SCOPED_TRACE(std::string(c.codec) + " " + std::to_string(c.sampleRate) + " Hz " +
                 std::to_string(c.channels) + " ch " + std::to_string(c.bitRate) + " bit/s");
    EXPECT_EQ(CheckAudioBitRate(QString::fromLatin1(c.codec), c.sampleRate, c.channels, c.bitRate),
              QString::fromLatin1(c.message));
  }
}

TEST(AudioBitRateTest, LibfaacCapsTheRatePerChannel) {
  ExpectBitRates({
      {"libfaac", 44100, 2, 528000, ""},
      {"libfaac", 44100, 2, 530000, "Audio Bitrate is larger than 528 kbps."},
      // Integer division: 528001 / 2 is still 264000.
      {"libfaac", 44100, 2, 528001, ""},
      {"libfaac", 44100, 2, 528002, "Audio Bitrate is larger than 528 kbps."},
      {"libfaac", 44100, 1, 264000, ""},
      {"libfaac", 44100, 1, 264001, "Audio Bitrate is larger than 264 kbps."},
      {"libfaac", 16000, 1, 96000, ""},
      {"libfaac", 16000, 1, 97000, "Audio Bitrate is larger than 96 kbps."},
      {"libfaac", 16000, 2, 194000, "Audio Bitrate is larger than 192 kbps."},
      {"libfaac", 22050, 2, 264000, ""},
      {"libfaac", 22050, 2, 266000, "Audio Bitrate is larger than 264 kbps."},
      {"libfaac", 32000, 6, 1152000, ""},
      {"libfaac", 32000, 6, 1158000, "Audio Bitrate is larger than 1152 kbps."},
      {"libfaac", 48000, 1, 288000, ""},
      {"libfaac", 48000, 2, 580000, "Audio Bitrate is larger than 576 kbps."},
      // No floor.
      {"libfaac", 48000, 2, 0, ""},
      {"libfaac", 48000, 2, 8000, ""},
  });
}

TEST(AudioBitRateTest, LibfaacAcceptsEveryRateAtUnlistedSampleRates) {
  ExpectBitRates({
      {"libfaac", 8000, 2, 2000000, ""},
      {"libfaac", 24000, 1, 1000000, ""},
      {"libfaac", 44099, 1, 1000000, ""},
      {"libfaac", 96000, 2, 2000000, ""},
  });
}

TEST(AudioBitRateTest, LibfaacJudgesAProfileWithoutChannelsAsMono) {
  ExpectBitRates({
      {"libfaac", 44100, 0, 264000, ""},
      {"libfaac", 44100, 0, 265000, "Audio Bitrate is larger than 264 kbps."},
      {"libfaac", 44100, -2, 300000, "Audio Bitrate is larger than 264 kbps."},
      {"libfaac", 16000, 0, 96000, ""},
  });
}

TEST(AudioBitRateTest, LibfaacStaysWithinIntegersAtTheExtremes) {
  ExpectBitRates({
      {"libfaac", 44100, 1, 2147483647, "Audio Bitrate is larger than 264 kbps."},
      {"libfaac", 48000, 2147483647, 2147483647, ""},
      {"libfaac", 48000, 2, -2147483647 - 1, ""},
  });
}

TEST(AudioBitRateTest, Ac3KeepsTheRateWithinTheRangeOfItsSampleRate) {
  ExpectBitRates({
      {"ac3", 48000, 2, 24000, "Audio Bitrate is smaller than 32 kbps."},
      {"ac3", 48000, 2, 31999, "Audio Bitrate is smaller than 32 kbps."},
      {"ac3", 48000, 2, 32000, ""},
      {"ac3", 48000, 2, 448000, ""},
      {"ac3", 48000, 2, 448001, "Audio Bitrate is larger than 448 kbps."},
      {"ac3", 48000, 6, 640000, "Audio Bitrate is larger than 448 kbps."},
      {"ac3", 44100, 2, 192000, ""},
      {"ac3", 44100, 2, 16000, "Audio Bitrate is smaller than 32 kbps."},
      {"ac3", 44100, 2, 512000, "Audio Bitrate is larger than 448 kbps."},
      {"ac3", 32000, 1, 32000, ""},
      {"ac3", 32000, 1, 0, "Audio Bitrate is smaller than 32 kbps."},
      {"ac3", 32000, 1, 449000, "Audio Bitrate is larger than 448 kbps."},
      // The low sample rates take lower rates and cap them lower.
      {"ac3", 22050, 2, 16000, ""},
      {"ac3", 22050, 2, 15999, "Audio Bitrate is smaller than 16 kbps."},
      {"ac3", 22050, 2, 224000, ""},
      {"ac3", 22050, 2, 256000, "Audio Bitrate is larger than 224 kbps."},
      {"ac3", 16000, 1, 16000, ""},
      {"ac3", 16000, 1, 8000, "Audio Bitrate is smaller than 16 kbps."},
      {"ac3", 16000, 1, 225000, "Audio Bitrate is larger than 224 kbps."},
      // The channel count plays no part, not even none.
      {"ac3", 48000, 0, 448000, ""},
      {"ac3", 48000, 0, 449000, "Audio Bitrate is larger than 448 kbps."},
  });
}

TEST(AudioBitRateTest, Ac3AcceptsEveryRateAtUnlistedSampleRates) {
  ExpectBitRates({
      {"ac3", 24000, 2, 1000, ""},
      {"ac3", 8000, 2, 1000000, ""},
      {"ac3", 96000, 2, 0, ""},
  });
}

TEST(AudioBitRateTest, Mp2AtLowSampleRatesTakesStepsOf8BelowAnd16From64Kbps) {
  ExpectBitRates({
      {"mp2", 22050, 2, 56000, ""},
      {"mp2", 22050, 2, 8000, ""},
      {"mp2", 22050, 2, 40000, ""},
      {"mp2", 22050, 2, 64000, ""},
      {"mp2", 22050, 2, 160000, ""},
      {"mp2", 22050, 2, 72000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 22050, 2, 60000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 22050, 2, 4000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 22050, 2, 56001, "Audio Bitrate must be multiples of 16."},
      {"mp2", 22050, 2, 176000, "Audio Bitrate is larger than 160 kbps."},
      {"mp2", 22050, 2, 0, "Audio Bitrate is smaller than 8 kbps."},
      {"mp2", 22050, 2, -8000, "Audio Bitrate is smaller than 8 kbps."},
      // The step is checked before the ceiling.
      {"mp2", 22050, 2, 168000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 22050, 2, 192000, "Audio Bitrate is larger than 160 kbps."},
      {"mp2", 16000, 1, 24000, ""},
      {"mp2", 16000, 1, 96000, ""},
      {"mp2", 16000, 1, 88000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 16000, 1, 176000, "Audio Bitrate is larger than 160 kbps."},
      {"mp2", 16000, 1, 0, "Audio Bitrate is smaller than 8 kbps."},
  });
}

TEST(AudioBitRateTest, Mp2AtHighSampleRatesTakesStepsOf16From32To384Kbps) {
  ExpectBitRates({
      {"mp2", 44100, 2, 128000, ""},
      {"mp2", 44100, 2, 32000, ""},
      {"mp2", 44100, 2, 384000, ""},
      {"mp2", 44100, 2, 24000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 44100, 2, 56000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 44100, 2, 400000, "Audio Bitrate is larger than 384 kbps."},
      {"mp2", 44100, 2, 16000, "Audio Bitrate is smaller than 32 kbps."},
      {"mp2", 44100, 2, 0, "Audio Bitrate is smaller than 32 kbps."},
      // The step is checked before the ceiling.
      {"mp2", 44100, 2, 392000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 48000, 2, 192000, ""},
      {"mp2", 48000, 2, 200000, "Audio Bitrate must be multiples of 16."},
      {"mp2", 48000, 2, 416000, "Audio Bitrate is larger than 384 kbps."},
      {"mp2", 32000, 1, 64000, ""},
      {"mp2", 32000, 1, 64001, "Audio Bitrate must be multiples of 16."},
      {"mp2", 32000, 1, 16000, "Audio Bitrate is smaller than 32 kbps."},
      // The channel count plays no part.
      {"mp2", 48000, 0, 384000, ""},
  });
}

TEST(AudioBitRateTest, Mp2AcceptsEveryRateAtUnlistedSampleRates) {
  ExpectBitRates({
      {"mp2", 24000, 2, 8000, ""},
      {"mp2", 11025, 2, 1, ""},
      {"mp2", 96000, 2, 1000000, ""},
  });
}

TEST(AudioBitRateTest, OtherCodecsAndOtherSpellingsAreAccepted) {
  ExpectBitRates({
      {"libmp3lame", 44100, 2, 10000000, ""},
      {"pcm_s16le", 48000, 0, 0, ""},
      {"", 44100, 2, 1, ""},
      // Names are compared exactly.
      {"MP2", 22050, 2, 72000, ""},
      {"AC3", 48000, 2, 24000, ""},
      {"LibFaac", 44100, 2, 1000000, ""},
      {"ac3 ", 48000, 2, 24000, ""},
      {" mp2", 44100, 2, 1, ""},
  });
}

}  // namespace
