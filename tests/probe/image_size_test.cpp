#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "engines/ffengine/image_size.h"
#include "tests/probe/probe_test_support.h"

namespace {

using namespace probe_test;

// Every picture type the watermark picker offers, each 37x23 so that a swapped or rounded size shows.
class ImageSize : public ::testing::TestWithParam<std::string> {};

TEST_P(ImageSize, ReadsWidthAndHeight) {
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(ffengine::ReadImageSize(Fixture(GetParam()).c_str(), width, height));
  EXPECT_EQ(width, 37);
  EXPECT_EQ(height, 23);
}

INSTANTIATE_TEST_SUITE_P(Types, ImageSize,
                         ::testing::Values("picture.jpg", "picture.jp2", "picture.png", "picture.bmp",
                                           "picture.gif", "picture.tif", "picture.tga"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return NameOf(info.param);
                         });

// The content decides where the format has a signature, so a misnamed picture is still read.
TEST(ImageSizeContent, AMisnamedPictureIsReadByItsContent) {
  TempDir dir;
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(ffengine::ReadImageSize(dir.Copy("picture.png", "logo.jpg").c_str(), width, height));
  EXPECT_EQ(width, 37);
  EXPECT_EQ(height, 23);
}

TEST(ImageSizeContent, WhatIsNoPictureLeavesTheSizeAlone) {
  TempDir dir;
  std::ofstream(dir.File("notes.png")) << "not a picture at all";
  std::ofstream(dir.File("cut.png"), std::ios::binary)
      << std::ifstream(FixturePath("picture.png"), std::ios::binary).rdbuf();
  std::filesystem::resize_file(dir.File("cut.png"), 40);
  const std::string cases[] = {
      dir.File("notes.png"),
      dir.File("cut.png"),
      Fixture("empty.mp4"),
      Fixture("video_audio.mp4"),
      dir.File("missing.png"),
      dir.File(""),
      "",
  };
  for (const std::string& path : cases) {
    int32_t width = -7;
    int32_t height = -7;
    EXPECT_FALSE(ffengine::ReadImageSize(path.c_str(), width, height)) << path;
    EXPECT_EQ(width, -7) << path;
    EXPECT_EQ(height, -7) << path;
  }
  int32_t width = -7;
  int32_t height = -7;
  EXPECT_FALSE(ffengine::ReadImageSize(nullptr, width, height));
}

}  // namespace
