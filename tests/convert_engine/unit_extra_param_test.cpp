#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "engines/ffengine/extra_param.h"

namespace {

using ffengine::ExtraParams;
using ffengine::ParseExtraParam;
using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ExtraParam, SortsEachDocumentedKeyToWhereItApplies) {
  const ExtraParams p = ParseExtraParam(
      "preset=slow;profile=high;level=4.1;pix_fmt=yuv420p;g=15;maxrate=9000000;bufsize=1835008;aspect=16:9;"
      "vtag=XVID;deadline=good;cpu-used=4;row-mt=1;movflags=+faststart");
  EXPECT_TRUE(p.problems.empty());
  EXPECT_EQ(p.pixelFormat, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(p.gop, 15);
  EXPECT_EQ(p.maxRate, 9000000);
  EXPECT_EQ(p.bufferSize, 1835008);
  EXPECT_EQ(p.aspect.num * 9, p.aspect.den * 16);
  EXPECT_EQ(p.codecTag, "XVID");
  EXPECT_EQ(p.encoderOptions, (Pairs{{"preset", "slow"},
                                     {"profile", "high"},
                                     {"level", "4.1"},
                                     {"deadline", "good"},
                                     {"cpu-used", "4"},
                                     {"row-mt", "1"}}));
  EXPECT_EQ(p.muxerOptions, (Pairs{{"movflags", "+faststart"}}));
}

TEST(ExtraParam, EmptyTextSetsNothing) {
  const ExtraParams p = ParseExtraParam("");
  EXPECT_TRUE(p.problems.empty());
  EXPECT_EQ(p.pixelFormat, AV_PIX_FMT_NONE);
  EXPECT_EQ(p.gop, -1);
  EXPECT_EQ(p.aspect.num, 0);
  EXPECT_TRUE(p.codecTag.empty());
  EXPECT_TRUE(p.encoderOptions.empty());
  EXPECT_TRUE(p.muxerOptions.empty());
}

struct Refused {
  const char* name;
  const char* text;
};

void PrintTo(const Refused& r, std::ostream* os) {
  *os << r.text;
}

class RefusedEntry : public testing::TestWithParam<Refused> {};

// A bad entry is named in the problems and left out; the good entries around it still count.
TEST_P(RefusedEntry, IsReportedAndLeftOutWithoutLosingTheOthers) {
  const ExtraParams p = ParseExtraParam(std::string("g=12;") + GetParam().text + ";preset=fast");
  ASSERT_EQ(p.problems.size(), 1u);
  EXPECT_NE(p.problems[0].find(GetParam().text), std::string::npos) << p.problems[0];
  EXPECT_EQ(p.gop, 12);
  EXPECT_EQ(p.encoderOptions, (Pairs{{"preset", "fast"}}));
  EXPECT_EQ(p.pixelFormat, AV_PIX_FMT_NONE);
  EXPECT_TRUE(p.codecTag.empty());
  EXPECT_TRUE(p.muxerOptions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RefusedEntry,
    testing::Values(Refused{"UnknownKey", "tune=film"}, Refused{"ShellLikeKey", "vf=movie=/etc/passwd"},
                    Refused{"NoEquals", "faststart"}, Refused{"NoKey", "=5"},
                    Refused{"UnknownPixelFormat", "pix_fmt=yuv9000p"}, Refused{"GopNotANumber", "g=abc"},
                    Refused{"GopNegative", "g=-3"}, Refused{"RateWithUnit", "maxrate=9M"},
                    Refused{"AspectNotARatio", "aspect=wide"}, Refused{"AspectZero", "aspect=0:9"},
                    Refused{"TagTooLong", "vtag=XVIDX"}, Refused{"EmptyPreset", "preset="},
                    Refused{"EmptyMovflags", "movflags="}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtraParam, EmptyEntriesBetweenSeparatorsAreIgnored) {
  const ExtraParams p = ParseExtraParam(";;g=30;;");
  EXPECT_TRUE(p.problems.empty());
  EXPECT_EQ(p.gop, 30);
}

// Every profile the program ships parses without a single entry left out.
TEST(ExtraParam, EveryShippedProfileParsesCleanly) {
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(KV_TEST_SOURCE_DIR "/data/Profile/Profile.xml"));
  int profiles = 0;
  for (const pugi::xml_node record : doc.child("options").children("record")) {
    const std::string id =
        record.find_child_by_attribute("value", "key", "ProfileId").attribute("text").value();
    const std::string extra =
        record.find_child_by_attribute("value", "key", "ExtraParam").attribute("text").value();
    const ExtraParams p = ParseExtraParam(extra);
    EXPECT_TRUE(p.problems.empty()) << "profile " << id << ": " << p.problems.front();
    ++profiles;
  }
  EXPECT_GT(profiles, 0);
}

}  // namespace
