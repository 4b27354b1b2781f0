#include "engines/ffengine/image_size.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "engines/ffengine/deadline.h"
#include "engines/ffengine/ff_handles.h"
#include "engines/ffengine/input_policy.h"

namespace ffengine {

namespace {

// The picture format of an open file: the single-picture reader judges the first bytes and, for a
// format without a signature, the extension. It reads only from the context it is handed.
AVCodecID PictureCodec(AVIOContext* io, const std::string& url, const AVIOInterruptCB& interrupt) {
  const AVInputFormat* reader = av_find_input_format("image2pipe");
  AVFormatContext* context = avformat_alloc_context();
  if (reader == nullptr || context == nullptr) {
    avformat_free_context(context);
    return AV_CODEC_ID_NONE;
  }
  context->pb = io;
  context->interrupt_callback = interrupt;
  AVCodecID codec = AV_CODEC_ID_NONE;
  if (avformat_open_input(&context, url.c_str(), reader, nullptr) >= 0) {
    if (context->nb_streams > 0) {
      codec = context->streams[0]->codecpar->codec_id;
    }
    avformat_close_input(&context);
  }
  return codec;
}

bool ReadAll(AVIOContext* io, int64_t size, std::vector<uint8_t>& bytes) {
  bytes.assign(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  if (avio_seek(io, 0, SEEK_SET) != 0) {
    return false;
  }
  int64_t done = 0;
  while (done < size) {
    const int got = avio_read(io, bytes.data() + done, static_cast<int>(size - done));
    if (got <= 0) {
      return false;
    }
    done += got;
  }
  return true;
}

// Decodes the whole file as one picture: the decoders of these formats take a complete file.
FramePtr DecodeWhole(AVCodecID codecId, std::vector<uint8_t>& bytes, int64_t size) {
  const AVCodec* decoder = avcodec_find_decoder(codecId);
  if (decoder == nullptr || decoder->type != AVMEDIA_TYPE_VIDEO) {
    return nullptr;
  }
  CodecContextPtr codec(avcodec_alloc_context3(decoder));
  PacketPtr packet(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  if (!codec || !packet || !frame) {
    return nullptr;
  }
  codec->max_pixels = kMaxPicturePixels;
  codec->thread_count = 1;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) {
    return nullptr;
  }
  packet->data = bytes.data();
  packet->size = static_cast<int>(size);
  if (avcodec_send_packet(codec.get(), packet.get()) < 0) {
    return nullptr;
  }
  avcodec_send_packet(codec.get(), nullptr);
  if (avcodec_receive_frame(codec.get(), frame.get()) < 0 || frame->width <= 0 || frame->height <= 0) {
    return nullptr;
  }
  return frame;
}

}  // namespace

FramePtr ReadPicture(const char* path) {
  struct stat info {};
  if (path == nullptr || *path == '\0' || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size <= 0 || info.st_size > kMaxPictureBytes) {
    return nullptr;
  }
  Deadline deadline(kOpenBound);
  AVIOInterruptCB interrupt = deadline.Callback();
  const std::string url = std::string("file:") + path;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  AVIOContext* io = nullptr;
  const int opened = avio_open2(&io, url.c_str(), AVIO_FLAG_READ, &interrupt, &options);
  av_dict_free(&options);
  if (opened < 0) {
    return nullptr;
  }
  const AVCodecID codec = PictureCodec(io, url, interrupt);
  std::vector<uint8_t> bytes;
  const bool read = codec != AV_CODEC_ID_NONE && ReadAll(io, info.st_size, bytes);
  avio_closep(&io);
  return read ? DecodeWhole(codec, bytes, info.st_size) : nullptr;
}

bool ReadImageSize(const char* path, int32_t& width, int32_t& height) {
  const FramePtr picture = ReadPicture(path);
  if (!picture) {
    return false;
  }
  width = picture->width;
  height = picture->height;
  return true;
}

}  // namespace ffengine
