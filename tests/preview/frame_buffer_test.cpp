#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "preview/frame_buffer.h"
#include "preview/preview_rules.h"

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 4;
constexpr int kPixels = kWidth * kHeight * 3;

TEST(FrameBufferTest, StoresOnlyFramesOfItsOwnSize) {
  FrameBuffer buffer;
  int shown = 0;
  QByteArray lastShown;
  buffer.Reset(kWidth, kHeight, [&](const QByteArray& image) {
    ++shown;
    lastShown = image;
  });
  EXPECT_EQ(buffer.Image(), MakeBitmapFile(kWidth, kHeight)) << "black until the first frame";

  const std::vector<uint8_t> grey(kPixels, 0x55);
  const std::vector<uint8_t> larger(kPixels + 4, 0x77);
  const struct {
    const char* name;
    const void* pixels;
    int32_t size;
    bool stored;
  } frames[] = {
      {"its size", grey.data(), kPixels, true},       {"larger", larger.data(), kPixels + 4, false},
      {"smaller", larger.data(), kPixels - 1, false}, {"nothing", nullptr, kPixels, false},
      {"negative", grey.data(), -1, false},
  };
  for (const auto& frame : frames) {
    const int before = shown;
    EXPECT_EQ(buffer.Store(frame.pixels, frame.size), frame.stored) << frame.name;
    EXPECT_EQ(shown, before + (frame.stored ? 1 : 0)) << frame.name;
  }
  const QByteArray image = buffer.Image();
  EXPECT_EQ(image.size(), 54 + kPixels) << "never written past";
  EXPECT_EQ(image.left(54), MakeBitmapFile(kWidth, kHeight).left(54));
  EXPECT_EQ(image.mid(54), QByteArray(kPixels, 0x55)) << "only the frame of its size landed";
  EXPECT_EQ(lastShown, image) << "the box gets the whole file image";
}

TEST(FrameBufferTest, AnEmptyBufferRefusesEveryFrame) {
  const std::vector<uint8_t> pixels(kPixels, 0x11);
  FrameBuffer never;
  FrameBuffer freed;
  freed.Reset(kWidth, kHeight);
  freed.Free();
  FrameBuffer noSize;
  noSize.Reset(0, kHeight, [](const QByteArray&) { ADD_FAILURE() << "nothing to show"; });
  for (FrameBuffer* buffer : {&never, &freed, &noSize}) {
    EXPECT_TRUE(buffer->IsEmpty());
    EXPECT_FALSE(buffer->Store(pixels.data(), kPixels));
    EXPECT_FALSE(buffer->Store(pixels.data(), 0));
    EXPECT_FALSE(buffer->SaveTo(QDir::tempPath() + "/never-written.bmp"));
  }
}

TEST(FrameBufferTest, SavesTheImageReplacingTheFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  FrameBuffer buffer;
  buffer.Reset(4, 2);
  std::vector<uint8_t> rows(4 * 2 * 3, 0x10);
  std::fill(rows.begin() + 12, rows.end(), 0x20);  // the second row
  ASSERT_TRUE(buffer.Store(rows.data(), static_cast<int32_t>(rows.size())));

  const QString path = folder.filePath("frame.bmp");
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
  }
  for (bool flip : {false, true}) {
    ASSERT_TRUE(buffer.SaveTo(path, flip));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes, flip ? FlipBitmapRows(buffer.Image()) : buffer.Image()) << "flip " << flip;
  }
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"frame.bmp"}) << "no file left aside";
  EXPECT_FALSE(buffer.SaveTo(folder.filePath("missing/folder/frame.bmp")));
}

TEST(FrameBufferTest, FramesFromAnotherThreadWhileTheOwnerResetsAndFrees) {
  // Stores race with Reset and Free: each frame lands whole in an image of its size or not at all.
  FrameBuffer buffer;
  buffer.Reset(kWidth, kHeight);
  const std::vector<uint8_t> pixels(kPixels, 0x42);
  std::thread engine([&] {
    for (int i = 0; i < 2000; ++i) {
      buffer.Store(pixels.data(), kPixels);
    }
  });
  for (int i = 0; i < 500; ++i) {
    buffer.Free();
    buffer.Reset(i % 2 == 0 ? kWidth : kWidth * 2, kHeight);
    const QByteArray image = buffer.Image();
    ASSERT_TRUE(image.size() == 54 + kPixels || image.size() == 54 + 2 * kPixels);
  }
  engine.join();
}

}  // namespace
