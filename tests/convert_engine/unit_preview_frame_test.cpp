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
};

class PreviewSize : public testing::TestWithParam<Size> {};

// The window copies the bytes behind a 24-bit bitmap header: blue, green, red, with rows padded to
// whole 4-byte words.
TEST_P(PreviewSize, IsATopDownBgrBitmapOfTheAskedSize) {
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
  for (const int row : {0, size.height / 4}) {
    EXPECT_LT(std::abs(at(row)[0] - 30), 12) << "blue, row " << row;
    EXPECT_LT(std::abs(at(row)[1] - 30), 12) << "green, row " << row;
    EXPECT_LT(std::abs(at(row)[2] - 220), 12) << "red, row " << row;
  }
  const uint8_t* bottom = at(size.height - 1);
  EXPECT_LT(bottom[0] + bottom[1] + bottom[2], 30) << "the last row is the picture's bottom";
}

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewSize, testing::Values(Size{320, 240}, Size{318, 238}, Size{161, 121}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

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
