#include <gtest/gtest.h>

#include <QtEndian>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "preview/preview_rules.h"

namespace {

struct Fit {
  const char* name;
  int areaWidth;
  int areaHeight;
  double aspect;
  ViewPlace place;
};

void PrintTo(const Fit& fit, std::ostream* os) {
  *os << fit.name;
}

class FitViewTest : public testing::TestWithParam<Fit> {};

TEST_P(FitViewTest, FillsTheAreaKeepingTheShape) {
  const Fit& fit = GetParam();
  const ViewPlace place = FitView(fit.areaWidth, fit.areaHeight, fit.aspect);
  EXPECT_EQ(place.x, fit.place.x);
  EXPECT_EQ(place.y, fit.place.y);
  EXPECT_EQ(place.width, fit.place.width);
  EXPECT_EQ(place.height, fit.place.height);
  EXPECT_EQ(place.width % 4, 0);
  EXPECT_EQ(place.height % 2, 0);
  if (place.width > 0) {
    EXPECT_LE(place.x + place.width, fit.areaWidth) << "never outside the area";
    EXPECT_LE(place.y + place.height, fit.areaHeight) << "never outside the area";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Areas, FitViewTest,
    testing::Values(
        // The main window's video area with a 4:3 and a 16:9 output.
        Fit{"FourThirdsFills", 264, 198, 4.0 / 3.0, {0, 0, 264, 198}},
        Fit{"SixteenNinthsCentredDown", 264, 198, 16.0 / 9.0, {0, 25, 264, 148}},
        // Taller than wide: the height limits, the width follows and is cut to a multiple of 4.
        Fit{"PortraitCentredAcross", 264, 198, 9.0 / 16.0, {78, 0, 108, 198}},
        // A wide area: 400 / (4:3) = 300 is too tall, so 100 high and 133 -> 132 wide, centred across.
        Fit{"WideArea", 400, 100, 4.0 / 3.0, {134, 0, 132, 100}},
        // A tall area: 100 / (4:3) = 75 -> 74, centred down with an integer half.
        Fit{"TallArea", 100, 400, 4.0 / 3.0, {0, 163, 100, 74}},
        // Widths and heights cut down: 301 / 1.5 = 200.67 -> 200; 301 -> 300.
        Fit{"CutToFoursAndEven", 301, 300, 1.5, {0, 50, 300, 200}},
        // A nonsensical shape or area places nothing.
        Fit{"ZeroAspect", 264, 198, 0.0, {0, 0, 0, 0}}, Fit{"NegativeAspect", 264, 198, -1.0, {0, 0, 0, 0}},
        Fit{"NanAspect", 264, 198, std::nan(""), {0, 0, 0, 0}},
        Fit{"InfiniteAspect", 264, 198, std::numeric_limits<double>::infinity(), {0, 0, 0, 0}},
        Fit{"NoWidth", 0, 198, 1.0, {0, 0, 0, 0}}, Fit{"NegativeHeight", 264, -5, 1.0, {0, 0, 0, 0}}),
    [](const testing::TestParamInfo<Fit>& info) { return std::string(info.param.name); });

TEST(SnapshotSizeTest, RoundsTheWidthToEightsAndCutsTheHeightToEven) {
  const struct {
    int width, height, outWidth, outHeight;
  } cases[] = {{718, 480, 720, 480},     {716, 480, 720, 480}, {715, 481, 712, 480}, {720, 480, 720, 480},
               {1920, 1080, 1920, 1080}, {3, 3, 0, 2},         {4, 2, 8, 2},         {0, 0, 0, 0},
               {-16, -2, 0, 0}};
  for (const auto& c : cases) {
    int width = -1;
    int height = -1;
    SnapshotSize(c.width, c.height, width, height);
    EXPECT_EQ(width, c.outWidth) << c.width << "x" << c.height;
    EXPECT_EQ(height, c.outHeight) << c.width << "x" << c.height;
  }
}

quint32 Le32(const QByteArray& bytes, int offset) {
  return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 Le16(const QByteArray& bytes, int offset) {
  return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

TEST(BitmapFileTest, HasTheHeadersOfAnUnpadded24BitPicture) {
  const struct { int width, height; } sizes[] = {{8, 2}, {264, 198}, {720, 480}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
    const QByteArray bytes = MakeBitmapFile(size.width, size.height);
    const quint32 pixels = static_cast<quint32>(size.width * size.height * 3);
    ASSERT_EQ(bytes.size(), 54 + static_cast<qsizetype>(pixels));
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(Le32(bytes, 2), 54u + pixels) << "file size";
    EXPECT_EQ(Le32(bytes, 6), 0u) << "reserved";
    EXPECT_EQ(Le32(bytes, 10), 54u) << "pixel offset";
    EXPECT_EQ(Le32(bytes, 14), 40u) << "info header size";
    EXPECT_EQ(Le32(bytes, 18), static_cast<quint32>(size.width));
    EXPECT_EQ(Le32(bytes, 22), static_cast<quint32>(size.height));
    EXPECT_EQ(Le16(bytes, 26), 1u) << "planes";
    EXPECT_EQ(Le16(bytes, 28), 24u) << "bits";
    EXPECT_EQ(Le32(bytes, 30), 0u) << "no compression";
    EXPECT_EQ(bytes.mid(34), QByteArray(bytes.size() - 34, '\0'))
        << "the rest of the header and black pixels";
  }
  EXPECT_TRUE(MakeBitmapFile(0, 10).isEmpty());
  EXPECT_TRUE(MakeBitmapFile(-4, 10).isEmpty());
  EXPECT_TRUE(MakeBitmapFile(10, 0).isEmpty());
  EXPECT_TRUE(MakeBitmapFile(100000, 100000).isEmpty()) << "no preview picture is that large";
}

TEST(BitmapFileTest, FlippingTurnsTheRowsOver) {
  // Four rows of a 4-pixel-wide picture, each row one grey level.
  QByteArray image = MakeBitmapFile(4, 4);
  for (int row = 0; row < 4; ++row) {
    image.replace(54 + row * 12, 12, QByteArray(12, static_cast<char>(row + 1)));
  }
  const QByteArray flipped = FlipBitmapRows(image);
  ASSERT_EQ(flipped.size(), image.size());
  EXPECT_EQ(flipped.left(54), image.left(54)) << "the headers stay";
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(flipped.mid(54 + row * 12, 12), QByteArray(12, static_cast<char>(4 - row))) << row;
  }
  EXPECT_EQ(FlipBitmapRows(flipped), image);

  // Headers that do not describe the bytes: given back as they came.
  QByteArray shortened = image;
  shortened.chop(1);
  QByteArray wrongBits = image;
  wrongBits[28] = 32;
  const QByteArray odd[] = {QByteArray(), QByteArray("BM"), shortened, wrongBits,
                            QByteArray(image).replace(0, 2, "XX")};
  for (const QByteArray& bytes : odd) {
    EXPECT_EQ(FlipBitmapRows(bytes), bytes);
  }
}

TEST(SliderTest, PercentAndSeekSecond) {
  const double huge = 1e300;
  const struct {
    double position, duration;
    int percent;
  } percents[] = {
      {30, 120, 25},
      {119.9, 120, 99},
      {120, 120, 100},
      {0, 120, 0},
      {5, 0, 0},  // a file without length
      {5, -3, 0},
      {huge, 1, std::numeric_limits<int>::max()},  // a damaged length stays defined
      {std::nan(""), 120, 0},
  };
  for (const auto& c : percents) {
    EXPECT_EQ(SliderPercent(c.position, c.duration), c.percent) << c.position << " of " << c.duration;
  }
  const struct {
    int percent;
    double duration;
    int second;
  } seconds[] = {
      {25, 120, 30}, {33, 10, 3},  // truncated
      {50, 0, 0},    {100, 7265.5, 7265}, {0, 120, 0}, {50, std::nan(""), 0},
  };
  for (const auto& c : seconds) {
    EXPECT_EQ(SeekSecond(c.percent, c.duration), c.second) << c.percent << "% of " << c.duration;
  }
}

TEST(SliderTest, ClipRangeInsideTheSlidersFrame) {
  const struct {
    int sliderWidth;
    double clipStart, clipLength, duration;
    int start, length;
  } cases[] = {
      // A slider of 263 pixels spans 261 inside its frame.
      {263, 30, 60, 120, 66, 130}, {263, 0, 120, 120, 1, 261},
      {263, 119, 1, 120, 259, 2},  {263, 0, 0, 0, 1, 261},  // no length: the whole slider
      {100, 10, 10, 100, 10, 9},
  };
  for (const auto& c : cases) {
    int start = -1;
    int length = -1;
    ClipRangeOnSlider(c.sliderWidth, c.clipStart, c.clipLength, c.duration, start, length);
    EXPECT_EQ(start, c.start) << c.clipStart << "+" << c.clipLength << " of " << c.duration;
    EXPECT_EQ(length, c.length) << c.clipStart << "+" << c.clipLength << " of " << c.duration;
  }
}

TEST(SnapshotNameTest, OutputNameAndTimeStamp) {
  const QDateTime when(QDate(2013, 5, 14), QTime(9, 30, 5));
  const QDateTime evening(QDate(2013, 12, 1), QTime(21, 4, 0));
  const struct {
    QString folder, outputName;
    QDateTime when;
    QString file;
  } cases[] = {
      {"/home/u/Snapshot/", "holiday.mp4", when, "/home/u/Snapshot/holiday_20130514093005.bmp"},
      {"/home/u/Snapshot", "holiday.mp4", when, "/home/u/Snapshot/holiday_20130514093005.bmp"},
      {"/s/", "my.trip.avi", evening, "/s/my.trip_20131201210400.bmp"},
      {"/s/", "noextension", evening, "/s/noextension_20131201210400.bmp"},
      {"/s/", ".hidden", when, "/s/_20130514093005.bmp"},
      {"/s/", "Ferien ü.mkv", when, "/s/Ferien ü_20130514093005.bmp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SnapshotFile(c.folder, c.outputName, c.when), c.file);
  }
}

TEST(SnapshotNameTest, ConvertedNameTakesTheTypeInLowerCase) {
  const struct {
    QString bitmap, type, converted;
  } cases[] = {
      {"/s/holiday_20130514093005.bmp", "JPEG", "/s/holiday_20130514093005.jpeg"},
      {"/s/a.b_1.bmp", "GIF", "/s/a.b_1.gif"},
      {"/s/a_1.bmp", "png", "/s/a_1.png"},
      {"/s/noext", "PNG", "/s/noext.png"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertedSnapshotFile(c.bitmap, c.type), c.converted);
  }
}

}  // namespace
