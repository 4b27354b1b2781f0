#include "tests/imageedit/edit_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engines/ffengine/image_size.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace edit_test {

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

QColor BlockColour(int column, int row) {
  static const QColor kColours[kRows][kColumns] = {
      {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0), QColor(0, 255, 255)},
      {QColor(255, 0, 255), QColor(255, 255, 255), QColor(0, 0, 0), QColor(128, 128, 128),
       QColor(255, 128, 0)},
      {QColor(64, 32, 160), QColor(200, 180, 120), QColor(20, 120, 60), QColor(90, 200, 230),
       QColor(240, 60, 110)},
  };
  return kColours[row][column];
}

QImage BlockPicture() {
  QImage picture(kColumns * kBlock, kRows * kBlock, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      picture.setPixelColor(x, y, BlockColour(x / kBlock, y / kBlock));
    }
  }
  return picture;
}

QImage BusyPicture() {
  QImage picture(160, 90, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      picture.setPixelColor(x, y, QColor((x * 7) % 256, (y * 11) % 256, (x * y) % 256));
    }
  }
  return picture;
}

QImage DecodedByEngine(const fs::path& file, bool* hasAlpha) {
  const ffengine::FramePtr frame = ffengine::ReadPicture(file.c_str());
  if (!frame) {
    return {};
  }
  const auto format = static_cast<AVPixelFormat>(frame->format);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (hasAlpha != nullptr) {
    *hasAlpha = descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
  }
  // swscale writes whole vectors, past the end of a row that is not a multiple of their width; a
  // frame buffer has the padding for that, a QImage does not.
  ffengine::FramePtr converted(av_frame_alloc());
  converted->format = AV_PIX_FMT_RGBA;
  converted->width = frame->width;
  converted->height = frame->height;
  SwsContext* scaler = sws_getContext(frame->width, frame->height, format, frame->width, frame->height,
                                      AV_PIX_FMT_RGBA, SWS_POINT, nullptr, nullptr, nullptr);
  if (scaler == nullptr || av_frame_get_buffer(converted.get(), 0) < 0) {
    sws_freeContext(scaler);
    return {};
  }
  sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, converted->data, converted->linesize);
  sws_freeContext(scaler);
  QImage rgba(frame->width, frame->height, QImage::Format_RGBA8888);
  for (int y = 0; y < frame->height; ++y) {
    std::memcpy(rgba.scanLine(y), converted->data[0] + y * converted->linesize[0],
                static_cast<size_t>(frame->width) * 4);
  }
  return rgba;
}

int ChannelDistance(QColor a, QColor b) {
  return std::max(
      {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

}  // namespace edit_test
