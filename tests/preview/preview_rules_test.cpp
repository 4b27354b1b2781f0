#include <gtest/gtest.h>

#include <QtEndian>

#include "preview/preview_rules.h"

namespace {

struct Fit {
  int areaWidth;
  int areaHeight;
  double aspect;
  ViewPlace place;
};

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
}

INSTANTIATE_TEST_SUITE_P(
    Areas, FitViewTest,
    testing::Values(
        // The main window's video area with a 4:3 and a 16:9 output.
        Fit{264, 198, 4.0 / 3.0, {0, 0, 264, 198}}, Fit{264, 198, 16.0 / 9.0, {0, 25, 264, 148}},
        // Taller than wide: the height limits, the width follows and is cut to a multiple of 4.
        Fit{264, 198, 9.0 / 16.0, {78, 0, 108, 198}},
        // Widths and heights cut down: 301 / 1.5 = 200.67 -> 200; 301 -> 300.
        Fit{301, 300, 1.5, {0, 50, 300, 200}},
        // A nonsensical shape or area places nothing.
        Fit{264, 198, 0.0, {0, 0, 0, 0}}, Fit{0, 198, 1.0, {0, 0, 0, 0}}));

TEST(SnapshotSizeTest, RoundsTheWidthToEightsAndCutsTheHeightToEven) {
  const struct {
    int width, height, outWidth, outHeight;
  } cases[] = {{718, 480, 720, 480},     {716, 480, 720, 480}, {715, 481, 712, 480}, {720, 480, 720, 480},
               {1920, 1080, 1920, 1080}, {3, 3, 0, 2},         {4, 2, 8, 2}};
  for (const auto& c : cases) {
    int width = 0;
    int height = 0;
    SnapshotSize(c.width, c.height, width, height);
    EXPECT_EQ(width, c.outWidth) << c.width << "x" << c.height;
    EXPECT_EQ(height, c.outHeight) << c.width << "x" << c.height;
  }
}

TEST(BitmapFileTest, HasTheHeadersOfAnUnpadded24BitPicture) {
  const QByteArray bytes = MakeBitmapFile(8, 2);
  ASSERT_EQ(bytes.size(), 54 + 8 * 2 * 3);
  auto le32 = [&](int offset) { return qFromLittleEndian<quint32>(bytes.constData() + offset); };
  auto le16 = [&](int offset) { return qFromLittleEndian<quint16>(bytes.constData() + offset); };
  EXPECT_EQ(bytes.left(2), QByteArray("BM"));
  EXPECT_EQ(le32(2), 54u + 48u);
  EXPECT_EQ(le32(10), 54u);
  EXPECT_EQ(le32(14), 40u);
  EXPECT_EQ(le32(18), 8u);
  EXPECT_EQ(le32(22), 2u);
  EXPECT_EQ(le16(26), 1u);
  EXPECT_EQ(le16(28), 24u);
  EXPECT_EQ(le32(30), 0u) << "no compression";
  EXPECT_EQ(bytes.mid(34), QByteArray(bytes.size() - 34, '\0'));
  EXPECT_TRUE(MakeBitmapFile(0, 10).isEmpty());
  EXPECT_TRUE(MakeBitmapFile(-4, 10).isEmpty());
}

TEST(SliderTest, PositionsSecondsAndTheClipRange) {
  EXPECT_EQ(SliderPercent(30, 120), 25);
  EXPECT_EQ(SliderPercent(119.9, 120), 99);
  EXPECT_EQ(SliderPercent(5, 0), 0) << "a file without length";
  EXPECT_EQ(SeekSecond(25, 120), 30);
  EXPECT_EQ(SeekSecond(33, 10), 3) << "truncated";
  EXPECT_EQ(SeekSecond(50, 0), 0);
  int start = 0;
  int length = 0;
  // A slider of 263 pixels spans 261 inside its frame.
  ClipRangeOnSlider(263, 30, 60, 120, start, length);
  EXPECT_EQ(start, 66);
  EXPECT_EQ(length, 130);
  ClipRangeOnSlider(263, 0, 120, 120, start, length);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(length, 261);
  ClipRangeOnSlider(263, 0, 0, 0, start, length);
  EXPECT_EQ(start, 1);
  EXPECT_EQ(length, 261) << "no length: the whole slider";
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SnapshotFile(c.folder, c.outputName, c.when), c.file);
  }
  EXPECT_EQ(ConvertedSnapshotFile("/s/holiday_20130514093005.bmp", "JPEG"), "/s/holiday_20130514093005.jpeg");
  EXPECT_EQ(ConvertedSnapshotFile("/s/a.b_1.bmp", "GIF"), "/s/a.b_1.gif");
}

}  // namespace
