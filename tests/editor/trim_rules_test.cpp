#include <gtest/gtest.h>

#include <QString>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "tests/editor/edit_rules_test_support.h"

namespace {

// ---- Typed and shown times --------------------------------------------------------------------

TEST(TrimTimeText, ParsesPartsInTurnLikeScanf) {
  struct Case {
    const char* text;
    int seconds;
  };
  const std::vector<Case> cases = {
      {"01:02:03", 3723},
      {"1:2", 3720},  // missing parts count 0
      {"5", 18000},
      {"", 0},
      {"junk", 0},
      {"  :  :  ", 0},  // a masked edit left blank
      {"00:01:xx", 60},
      {"1::3", 3600},      // reading stops at the empty part
      {" 1: 2: 3", 3723},  // white space before a number is skipped ...
      {"1 :2:3", 3600},    // ... but not before a colon
      {"12:34:56extra", 45296},
      {"1:2:3:4", 3723},
      {"00:90:00", 5400},  // parts are not bounded
      {"+0:0:7", 7},
      {"-1:00:00", -3600},  // read as typed; the setters refuse it
      {"1:-30:00", 1800},
      {"99999999999999:00:00", std::numeric_limits<int>::max()},  // saturates instead of wrapping
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseTime(QString::fromUtf8(c.text)), c.seconds) << '"' << c.text << '"';
  }
}

TEST(TrimTimeText, FormatsTruncatedWholeSeconds) {
  struct Case {
    double seconds;
    const char* text;
  };
  const std::vector<Case> cases = {
      {0, "00:00:00"},     {59.99, "00:00:59"},        {3723.7, "01:02:03"},
      {86399, "23:59:59"}, {360000, "100:00:00"},  // hours are not cut at two digits
      {-5, "00:00:00"},    {std::nan(""), "00:00:00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatTime(c.seconds).toStdString(), c.text) << c.seconds;
  }
  EXPECT_EQ(PositionText(61.5, 3600).toStdString(), "00:01:01 / 01:00:00");
}

TEST(TrimTimeText, FormattedTimeParsesBack) {
  for (int seconds : {0, 1, 59, 60, 3599, 3600, 45296, 359999}) {
    EXPECT_EQ(ParseTime(FormatTime(seconds)), seconds);
  }
}

// ---- Setters ----------------------------------------------------------------------------------

// A 100 s source trimmed to 10 .. 60.
struct SetterCase {
  const char* name;
  bool (*set)(CIInput&, double);
  double value;
  bool accepted;
  double start;
  double length;
};

// Cases show by name in test listings rather than as bytes.
void PrintTo(const SetterCase& c, std::ostream* os) {
  *os << c.name;
}

class TrimSetterTest : public testing::TestWithParam<SetterCase> {};

TEST_P(TrimSetterTest, AppliesOrRefuses) {
  const SetterCase& c = GetParam();
  CIInput input = LoadedInput(100);
  input.clipStart = 10;
  input.clipLength = 50;
  EXPECT_EQ(c.set(input, c.value), c.accepted);
  EXPECT_DOUBLE_EQ(input.clipStart, c.start);
  EXPECT_DOUBLE_EQ(input.clipLength, c.length);
}

INSTANTIATE_TEST_SUITE_P(Trim, TrimSetterTest,
                         testing::Values(
                             // The start moves, the end stays at 60.
                             SetterCase{"StartInside", SetTrimStart, 20, true, 20, 40},
                             SetterCase{"StartToZero", SetTrimStart, 0, true, 0, 60},
                             SetterCase{"StartAtEnd", SetTrimStart, 60, true, 60, 0},
                             SetterCase{"StartAfterEnd", SetTrimStart, 61, false, 10, 50},
                             SetterCase{"StartNegative", SetTrimStart, -1, false, 10, 50},
                             SetterCase{"StartNaN", SetTrimStart, std::nan(""), false, 10, 50},
                             // A typed end.
                             SetterCase{"EndInside", SetTrimEnd, 30, true, 10, 20},
                             SetterCase{"EndAtStart", SetTrimEnd, 10, true, 10, 0},
                             SetterCase{"EndBeforeStart", SetTrimEnd, 9, false, 10, 50},
                             SetterCase{"EndPastSource", SetTrimEnd, 150, true, 10, 90},
                             // The end marked at the playing position.
                             SetterCase{"EndAtPosition", SetTrimEndAt, 70.5, true, 10, 60.5},
                             SetterCase{"EndAtPositionOfStart", SetTrimEndAt, 10, true, 10, 0},
                             SetterCase{"EndAtPositionBeforeStart", SetTrimEndAt, 9.5, false, 10, 50},
                             // A typed length.
                             SetterCase{"LengthInside", SetTrimLength, 30, true, 10, 30},
                             SetterCase{"LengthZero", SetTrimLength, 0, true, 10, 0},
                             SetterCase{"LengthPastSource", SetTrimLength, 200, true, 10, 90},
                             SetterCase{"LengthNegative", SetTrimLength, -1, false, 10, 50}),
                         [](const testing::TestParamInfo<SetterCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(TrimDrag, StartKeepsTheEndAndStaysBetweenZeroAndIt) {
  struct Case {
    double to;
    double start;
    double length;
  };
  const std::vector<Case> cases = {
      {30, 30, 30},  {0, 0, 60},
      {60, 60, 0},   {60.4, 60, 0},  // a pixel past the end handle's time: held at the end
      {-0.5, 0, 60},
  };
  for (const Case& c : cases) {
    CIInput input = LoadedInput(100);
    input.clipStart = 10;
    input.clipLength = 50;
    DragTrimStart(input, c.to);
    EXPECT_DOUBLE_EQ(input.clipStart, c.start) << c.to;
    EXPECT_DOUBLE_EQ(input.clipLength, c.length) << c.to;
  }
}

TEST(TrimDrag, EndKeepsTheStartAndStaysBetweenItAndTheSourceEnd) {
  struct Case {
    double to;
    double length;
  };
  const std::vector<Case> cases = {{80, 70}, {100, 90}, {101, 90}, {10, 0}, {9, 0}};
  for (const Case& c : cases) {
    CIInput input = LoadedInput(100);
    input.clipStart = 10;
    input.clipLength = 50;
    DragTrimEnd(input, c.to);
    EXPECT_DOUBLE_EQ(input.clipStart, 10) << c.to;
    EXPECT_DOUBLE_EQ(input.clipLength, c.length) << c.to;
  }
}

TEST(TrimReset, KeepsTheWholeSource) {
  CIInput input = LoadedInput(75.5);
  input.clipStart = 12;
  input.clipLength = 3;
  ResetTrim(input);
  EXPECT_EQ(input.clipStart, 0);
  EXPECT_EQ(input.clipLength, 75.5);
}

TEST(TrimMinimum, ShortClipsBecomeTwoSecondsInsideTheSource) {
  struct Case {
    const char* name;
    double duration;
    double start;
    double length;
    double wantStart;
    double wantLength;
  };
  const std::vector<Case> cases = {
      {"short clip in the middle", 100, 10, 1, 10, 2},
      {"empty clip at the start", 100, 0, 0, 0, 2},
      {"near the end the start moves back", 100, 99, 0.5, 98, 2},
      {"just too close to the end", 100, 98.5, 1, 98, 2},
      {"two seconds would end at the end", 100, 98, 1.5, 98, 2},
      {"exactly two seconds is kept", 100, 10, 2, 10, 2},
      {"a long clip is kept", 100, 10, 50, 10, 50},
      {"a source shorter than two seconds starts at 0", 1.5, 0.5, 0.5, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CIInput input = LoadedInput(c.duration);
    input.clipStart = c.start;
    input.clipLength = c.length;
    ApplyTrimMinimum(input);
    EXPECT_DOUBLE_EQ(input.clipStart, c.wantStart);
    EXPECT_DOUBLE_EQ(input.clipLength, c.wantLength);
  }
}

// ---- Handles ----------------------------------------------------------------------------------

// A slider at x 10, 102 pixels wide: its range inside the frame is 100 pixels, x 11 .. 110.
constexpr int kLeft = 10;
constexpr int kWidth = 102;

TEST(TrimHandlesPlacement, FollowsTheClipWithTruncatedPixels) {
  struct Case {
    const char* name;
    int width;
    double start;
    double length;
    double duration;
    TrimHandles want;  // startRight, endLeft, rangeStart, rangeLength
  };
  const std::vector<Case> cases = {
      {"whole source", kWidth, 0, 200, 200, {11, 112, 1, 100}},
      {"middle half", kWidth, 50, 100, 200, {36, 87, 26, 50}},
      {"half pixels truncate", kWidth, 3, 194, 200, {12, 111, 2, 98}},
      {"empty clip", kWidth, 100, 0, 200, {61, 62, 51, 0}},
      {"clip past the source end", kWidth, 190, 20, 200, {106, 112, 96, 5}},
      {"no duration", kWidth, 0, 0, 0, {11, 112, 1, 100}},
      {"frame only", 2, 50, 100, 200, {11, 12, 1, 0}},
      {"no width", 0, 50, 100, 200, {11, 12, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TrimHandles h = PlaceTrimHandles(kLeft, c.width, c.start, c.length, c.duration);
    EXPECT_EQ(h.startRight, c.want.startRight);
    EXPECT_EQ(h.endLeft, c.want.endLeft);
    EXPECT_EQ(h.rangeStart, c.want.rangeStart);
    EXPECT_EQ(h.rangeLength, c.want.rangeLength);
  }
}

TEST(TrimHandlesPlacement, EdgeTimeSpansTheSource) {
  struct Case {
    int edge;
    int width;
    double duration;
    double time;
  };
  const std::vector<Case> cases = {
      {kLeft + 1, kWidth, 200, 0}, {kLeft + 26, kWidth, 200, 50}, {kLeft + kWidth - 1, kWidth, 200, 200},
      {kLeft + 50, kWidth, 0, 0},  {kLeft + 1, 2, 200, 0},  // no range: no division by zero
      {kLeft + 5, 1, 200, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(HandleTime(c.edge, kLeft, c.width, c.duration), c.time) << c.edge << " " << c.width;
  }
}

TEST(TrimHandlesDrag, EachHandleStopsOnePixelBeforeTheOther) {
  // Handles of the 50 .. 150 clip of a 200 s source: start right edge 36, end left edge 87.
  struct StartCase {
    int edge;
    int want;
  };
  for (const StartCase& c :
       std::vector<StartCase>{{50, 50}, {86, 86}, {87, 86}, {500, 86}, {11, 11}, {-40, 11}}) {
    EXPECT_EQ(ClampStartHandle(c.edge, kLeft, 87), c.want) << c.edge;
  }
  struct EndCase {
    int edge;
    int want;
  };
  for (const EndCase& c :
       std::vector<EndCase>{{60, 60}, {37, 37}, {36, 37}, {-40, 37}, {111, 111}, {112, 111}, {500, 111}}) {
    EXPECT_EQ(ClampEndHandle(c.edge, 36, kLeft, kWidth), c.want) << c.edge;
  }
}

TEST(TrimHandlesDrag, StartDraggedOntoTheEndHandleNeverPassesTheClipEnd) {
  // With truncated pixels the edge before the end handle lies a little after the clip's end in time.
  CIInput input = LoadedInput(200);
  input.clipStart = 3;
  input.clipLength = 194;
  const TrimHandles h = PlaceTrimHandles(kLeft, kWidth, input.clipStart, input.clipLength, 200);
  const int edge = ClampStartHandle(1000, kLeft, h.endLeft);
  EXPECT_EQ(edge, h.endLeft - 1);
  DragTrimStart(input, HandleTime(edge, kLeft, kWidth, 200));
  EXPECT_DOUBLE_EQ(input.clipStart + input.clipLength, 197);
  EXPECT_GE(input.clipLength, 0);
}

TEST(TrimHandlesDrag, EndDraggedToTheSliderEndReachesTheSourceEnd) {
  CIInput input = LoadedInput(200);
  input.clipStart = 50;
  input.clipLength = 100;
  const TrimHandles h = PlaceTrimHandles(kLeft, kWidth, input.clipStart, input.clipLength, 200);
  DragTrimEnd(input, HandleTime(ClampEndHandle(1000, h.startRight, kLeft, kWidth), kLeft, kWidth, 200));
  EXPECT_DOUBLE_EQ(input.clipStart, 50);
  EXPECT_DOUBLE_EQ(input.clipLength, 150);
  DragTrimEnd(input, HandleTime(ClampEndHandle(-1000, h.startRight, kLeft, kWidth), kLeft, kWidth, 200));
  EXPECT_DOUBLE_EQ(input.clipStart, 50);
  EXPECT_GE(input.clipLength, 0);
  EXPECT_LE(input.clipLength, 2);  // one pixel's worth at most
}

}  // namespace
