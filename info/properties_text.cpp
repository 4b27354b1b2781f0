#include "info/properties_text.h"

#include <algorithm>
#include <string_view>

#include "components/field_text.h"

namespace {

template <size_t N>
QString Utf8Field(const char (&field)[N]) {
  const std::string_view text = FieldText(field);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A rate the probe could not read (a zero or negative part) has no meaning as a number; dividing by
// it would show "inf" or "nan" to the user.
QString FrameRateText(int32_t num, int32_t den) {
  if (num <= 0 || den <= 0) {
    return QString::fromLatin1(kNotAvailable);
  }
  return QString::asprintf("%.3f fps", static_cast<double>(num) / static_cast<double>(den));
}

}  // namespace

PropertiesText PropertiesTextOf(const MediaInfo& media, int audioIndex) {
  PropertiesText text;
  if (media.videoCount > 0) {
    text.resolution = QString::asprintf("%d*%d", int{media.width}, int{media.height});
    text.frameRate = FrameRateText(media.frameRateNum, media.frameRateDen);
    text.videoEncoder = Utf8Field(media.videoCodec);
  }
  // The count comes from another component: the table bounds it, whatever it says.
  const int tracks = std::min<int>(media.audioCount, kMaxAudioStreams);
  if (tracks > 0) {
    const int index = audioIndex >= 0 && audioIndex < tracks ? audioIndex : 0;
    // The table is packed: copy the entry out rather than bind references into it.
    const AudioStreamEntry entry = media.audioStreams[index];
    text.sampleRate = QString::asprintf("%d Hz", int{entry.sampleRate});
    text.channels = Utf8Field(entry.channels);
    text.audioEncoder = Utf8Field(entry.codec);
  }
  return text;
}
