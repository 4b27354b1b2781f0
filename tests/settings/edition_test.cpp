#include "settings/edition.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <ostream>
#include <string>

#include "settings/input_formats.h"
#include "tests/app/context_test_env.h"

namespace {

constexpr char kThisProduct[] = "Kestrelvine Converter";

class EditionTest : public ContextTest {
 protected:
  void UseProduct(const QString& name) { context_.productName = name; }
};

TEST(EditionListTest, HoldsThisProductAndOtherEditionsEachFoundByItsOwnName) {
  ASSERT_EQ(EditionList.size(), 47u);
  EXPECT_STREQ(EditionList[0], "Not Exist");
  EXPECT_STREQ(EditionList[1], kThisProduct);

  QSet<QString> seen;
  for (int i = 0; i < kNoEdition; ++i) {
    const QString name = QString::fromUtf8(EditionList[static_cast<size_t>(i)]);
    SCOPED_TRACE(name.toStdString());
    EXPECT_FALSE(name.isEmpty());
    EXPECT_FALSE(seen.contains(name));
    seen.insert(name);
    // An entry inside an earlier one could never be recognised.
    EXPECT_EQ(EditionIndexOf(name), i);
    if (i >= 2) {
      EXPECT_FALSE(QString(kThisProduct).contains(name)) << "would be taken for this product";
      EXPECT_TRUE(name.startsWith("Tolvermax ")) << "the studio's own product line";
    }
  }
}

struct EditionCase {
  const char* name;
  const char* productName;
  int edition;
};

void PrintTo(const EditionCase& c, std::ostream* os) {
  *os << c.name;
}

class EditionIndexTest : public EditionTest, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(EditionIndexTest, IsTheFirstEntryFoundInTheProductName) {
  UseProduct(QString::fromUtf8(GetParam().productName));
  EXPECT_EQ(EditionIndex(context_), GetParam().edition);
}

INSTANTIATE_TEST_SUITE_P(
    Products, EditionIndexTest,
    ::testing::Values(EditionCase{"ThisProduct", kThisProduct, kThisEdition},
                      EditionCase{"ThisProductWithMore", "Kestrelvine Converter 2 Deluxe", kThisEdition},
                      EditionCase{"CaseMatters", "kestrelvine converter", kNoEdition},
                      EditionCase{"Unknown", "Some Other Player", kNoEdition},
                      EditionCase{"Empty", "", kNoEdition}, EditionCase{"NotExist", "Not Exist", 0},
                      EditionCase{"OtherEdition", "Tolvermax MP3 Converter", 37},
                      EditionCase{"EarlierEntryWins", "Tolvermax MP3 Converter for Kestrelvine Converter",
                                  1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditionTest, WithoutContextNoEditionIsRecognised) {
  context_ = MuiContext{};
  EXPECT_EQ(EditionIndex(context_), kNoEdition);
  EXPECT_FALSE(IsAudioEdition(context_));
  EXPECT_EQ(BuildOpenFilter(context_), "All Supported Formats||");
}

TEST(InputFormatTableTest, RowsAreWithheldFromNoEditionAndNeverFromThisProduct) {
  const auto& table = InputFormatTable();
  ASSERT_EQ(table.size(), 34u);
  EXPECT_EQ(table.front().description, "High-Definition Video Files(*.ts;*.mts;*.m2ts)");
  EXPECT_EQ(table.back().description, "All Files(*.*)");
  for (const InputFormatRow& row : table) {
    SCOPED_TRACE(row.description.toStdString());
    // The dialog shows the patterns inside the description; both must say the same.
    EXPECT_TRUE(row.description.endsWith("(" + row.patterns.join(';') + ")"));
    EXPECT_LE(row.patterns.size(), 50);
    for (const QString& pattern : row.patterns) {
      EXPECT_TRUE(pattern.startsWith("*.")) << pattern.toStdString();
      EXPECT_EQ(pattern, pattern.toLower()) << "patterns are compared with a lower-cased extension";
    }
    EXPECT_NE(std::find(row.withheld.begin(), row.withheld.end(), kNoEdition), row.withheld.end());
    EXPECT_EQ(std::find(row.withheld.begin(), row.withheld.end(), kThisEdition), row.withheld.end());
  }
}

TEST_F(EditionTest, ThisProductsFilterOffersEveryRowAfterAllItsPatterns) {
  UseProduct(kThisProduct);
  const QString filter = BuildOpenFilter(context_);
  const QStringList fields = filter.split('|');

  // A name, a pattern list, then a description and its patterns for each of the 34 rows.
  ASSERT_EQ(fields.size(), 2 + 2 * 34);
  EXPECT_EQ(fields[0], "All Supported Formats");
  EXPECT_TRUE(fields[1].startsWith("*.ts;*.mts;*.m2ts;*.mpg;*.mpeg;*.mpeg2;*.vob;*.dat;*.mpg;"));
  EXPECT_TRUE(fields[1].endsWith(";*.flac;*.nut;*.*"));
  EXPECT_EQ(fields[2], "High-Definition Video Files(*.ts;*.mts;*.m2ts)");
  EXPECT_EQ(fields[3], "*.ts;*.mts;*.m2ts");
  EXPECT_TRUE(filter.endsWith("|All Files(*.*)|*.*"));
  EXPECT_EQ(fields[1].split(';').count("*.mp4"), 2) << "a pattern of two rows is listed twice";
}

TEST_F(EditionTest, AnUnknownProductOffersNothing) {
  UseProduct("Some Other Player");
  EXPECT_EQ(BuildOpenFilter(context_), "All Supported Formats||");
  for (const char* pattern : {"*.mp4", "*.MP4", "*.*", "*", "*.xyz"}) {
    EXPECT_FALSE(IsSupportedPattern(context_, pattern)) << pattern;
  }
}

struct PatternCase {
  const char* name;
  const char* productName;
  const char* pattern;
  bool supported;
};

void PrintTo(const PatternCase& c, std::ostream* os) {
  *os << c.name;
}

class SupportedPatternTest : public EditionTest, public ::testing::WithParamInterface<PatternCase> {};

TEST_P(SupportedPatternTest, MatchesTheLowerCasedExtensionAgainstTheOfferedRows) {
  UseProduct(QString::fromUtf8(GetParam().productName));
  EXPECT_EQ(IsSupportedPattern(context_, QString::fromUtf8(GetParam().pattern)), GetParam().supported);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, SupportedPatternTest,
    ::testing::Values(PatternCase{"Listed", kThisProduct, "*.mkv", true},
                      PatternCase{"UpperCase", kThisProduct, "*.MKV", true},
                      PatternCase{"MixedCase", kThisProduct, "*.M2Ts", true},
                      PatternCase{"UnlistedByAllFiles", kThisProduct, "*.xyz", true},
                      PatternCase{"NoExtensionByAllFiles", kThisProduct, "*", true},
                      PatternCase{"AudioEditionAudio", "Tolvermax MP3 Converter", "*.FLAC", true},
                      PatternCase{"AudioEditionVideo", "Tolvermax MP3 Converter", "*.mp4", false},
                      PatternCase{"AudioEditionUnlisted", "Tolvermax MP3 Converter", "*.xyz", false},
                      PatternCase{"DiscEditionVob", "Tolvermax DVD Ripper Home", "*.VOB", true},
                      PatternCase{"DiscEditionMkv", "Tolvermax DVD Ripper Home", "*.mkv", false},
                      PatternCase{"ExpressWithoutRareRows", "Tolvermax Video Converter Express", "*.rmvb",
                                  false},
                      PatternCase{"ExpressCommonRow", "Tolvermax Video Converter Express", "*.avi", true},
                      PatternCase{"RecorderOpensNothing", "Tolvermax Screen Recorder", "*.mp4", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditionTest, AnEditionsFilterListsOnlyItsRows) {
  UseProduct("Tolvermax MP3 Converter");
  const QString filter = BuildOpenFilter(context_);
  EXPECT_TRUE(filter.startsWith("All Supported Formats|*.mp3;*.mp2;*.aac;")) << filter.toStdString();
  EXPECT_TRUE(filter.endsWith("|NUT Audio Files(*.nut)|*.nut")) << filter.toStdString();
  EXPECT_FALSE(filter.contains("*.mp4"));
}

struct AudioCase {
  const char* name;
  const char* productName;
  bool audio;
};

void PrintTo(const AudioCase& c, std::ostream* os) {
  *os << c.name;
}

class AudioEditionTest : public EditionTest, public ::testing::WithParamInterface<AudioCase> {};

TEST_P(AudioEditionTest, NamesWithMp3OrAudioConverterAreAudioEditions) {
  UseProduct(QString::fromUtf8(GetParam().productName));
  EXPECT_EQ(IsAudioEdition(context_), GetParam().audio);
}

INSTANTIATE_TEST_SUITE_P(Products, AudioEditionTest,
                         ::testing::Values(AudioCase{"ThisProduct", kThisProduct, false},
                                           AudioCase{"Mp3", "Tolvermax MP3 Converter", true},
                                           AudioCase{"AudioConverter", "Tolvermax Audio Converter Home",
                                                     true},
                                           AudioCase{"VideoToMp3", "Tolvermax Video to MP3 Converter", true},
                                           AudioCase{"CaseMatters", "Tolvermax audio converter", false},
                                           AudioCase{"AudioAlone", "Tolvermax Audio Recorder", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
