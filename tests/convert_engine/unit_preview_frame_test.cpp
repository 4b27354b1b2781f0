#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/preview_frame.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

using ffengine::FramePtr;

// A frame in the decoder's usual format, made from RGB: the top half (r, g, b), the bottom half black.
FramePtr TopColourFrame(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  FramePtr frame(av_frame_alloc());
  frame->width = width;
  frame->height = height;
  frame->format = AV_PIX_FMT_YUV420P;
  if (av_frame_get_buffer(frame.get(), 0) < 0) {
    return nullptr;
  }
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3 + 64);
  for (int i = 0; i < width * height / 2; ++i) {
    rgb[i * 3] = r;
    rgb[i * 3 + 1] = g;
    rgb[i * 3 + 2] = b;
  }
  SwsContext* convert = sws_getContext(width, height, AV_PIX_FMT_RGB24, width, height, AV_PIX_FMT_YUV420P,
                                       SWS_POINT, nullptr, nullptr, nullptr);
  const uint8_t* planes[4] = {rgb.data()};
  const int strides[4] = {width * 3};
  sws_scale(convert, planes, strides, 0, height, frame->data, frame->linesize);
  sws_freeContext(convert);
  return frame;
}

struct Size {
  int width;
  int height;
  int top;  // the first row of the picture: the bars above it are black
  int rows;
};

class PreviewSize : public testing::TestWithParam<Size> {};

// The window copies the bytes behind a 24-bit bitmap header: blue, green, red, with rows padded to
// whole 4-byte words. A 16:9 frame keeps its shape between black bars.
TEST_P(PreviewSize, IsATopDownBgrBitmapOfTheAskedSizeWithTheFramesShape) {
  const Size size = GetParam();
  FramePtr frame = TopColourFrame(640, 360, 220, 30, 30);
  ASSERT_TRUE(frame);
  ffengine::PreviewMaker maker;
  const std::vector<uint8_t> pixels = maker.Make(frame.get(), size.width, size.height);
  const int stride = (size.width * 3 + 3) / 4 * 4;
  ASSERT_EQ(pixels.size(), static_cast<size_t>(stride) * size.height);
  const auto at = [&](int row) {
    return pixels.data() + static_cast<size_t>(row) * stride + (size.width / 2) * 3;
  };
  const auto sum = [](const uint8_t* p) { return p[0] + p[1] + p[2]; };
  for (const int row : {size.top, size.top + size.rows / 4}) {
    EXPECT_LT(std::abs(at(row)[0] - 30), 12) << "blue, row " << row;
    EXPECT_LT(std::abs(at(row)[1] - 30), 12) << "green, row " << row;
    EXPECT_LT(std::abs(at(row)[2] - 220), 12) << "red, row " << row;
  }
  EXPECT_LT(sum(at(size.top + size.rows - 1)), 30) << "the picture's bottom half is black";
  if (size.top > 0) {
    EXPECT_EQ(sum(at(0)), 0) << "the bar above";
    EXPECT_EQ(sum(at(size.top - 1)), 0);
    EXPECT_EQ(sum(at(size.height - 1)), 0) << "the bar below";
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewSize,
                         testing::Values(Size{320, 240, 30, 180}, Size{318, 238, 30, 178},
                                         Size{161, 121, 15, 90}, Size{320, 182, 0, 182}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(PreviewMaker, ATallFrameGetsBarsAtItsSidesAndAPixelAspectCounts) {
  FramePtr frame = TopColourFrame(320, 240, 10, 200, 10);
  ASSERT_TRUE(frame);
  ffengine::PreviewMaker maker;
  // 4:3 into 16:9: 240 of 428 columns, centred.
  const int width = 428;
  const int height = 180;
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<uint8_t> pixels = maker.Make(frame.get(), width, height);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(stride) * height);
  const auto green = [&](int column) { return pixels[static_cast<size_t>(10) * stride + column * 3 + 1]; };
  EXPECT_EQ(green(0), 0);
  EXPECT_EQ(green(93), 0);
  EXPECT_GT(green(94 + 5), 150);
  EXPECT_GT(green(width / 2), 150);
  EXPECT_EQ(green(width - 1), 0);

  // The same picture with pixels twice as wide as tall is 8:3: it fills the width, with bars above.
  frame->sample_aspect_ratio = AVRational{2, 1};
  pixels = maker.Make(frame.get(), width, height);
  ASSERT_EQ(pixels.size(), static_cast<size_t>(stride) * height);
  EXPECT_GT(pixels[static_cast<size_t>(height / 2 - 30) * stride + 2 * 3 + 1], 150) << "the full width";
  EXPECT_EQ(pixels[static_cast<size_t>(5) * stride + (width / 2) * 3 + 1], 0) << "a bar above";
}

TEST(PreviewMaker, FollowsAChangeOfSizeAndRefusesNothingToShow) {
  FramePtr frame = TopColourFrame(320, 240, 10, 200, 10);
  ASSERT_TRUE(frame);
  ffengine::PreviewMaker maker;
  EXPECT_EQ(maker.Make(frame.get(), 160, 120).size(), 160u * 3 * 120);
  EXPECT_EQ(maker.Make(frame.get(), 320, 240).size(), 320u * 3 * 240);
  EXPECT_TRUE(maker.Make(frame.get(), 0, 240).empty());
  EXPECT_TRUE(maker.Make(nullptr, 320, 240).empty());
}

}  // namespace
