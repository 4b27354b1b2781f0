#include "settings/profile_editor_rules.h"

#include <array>
#include <cstdint>
#include <limits>

namespace {

// Reads a decimal integer as "%d" does: C-locale blanks first, a sign, then digits. Nothing when no digit
// follows or the number does not fit 32 bits (a wrapped number would pass the range check).
bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

std::optional<int32_t> ReadNumber(const QString& text, qsizetype& at) {
  while (at < text.size() && IsBlank(text[at])) {
    ++at;
  }
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
    negative = text[at] == u'-';
    ++at;
  }
  int64_t value = 0;
  const qsizetype first = at;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
    value = value * 10 + (text[at].unicode() - u'0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
      return std::nullopt;
    }
    ++at;
  }
  if (at == first) {
    return std::nullopt;
  }
  value = negative ? -value : value;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

QString Larger(int kbps) {
  return QStringLiteral("Audio Bitrate is larger than %1 kbps.").arg(kbps);
}

QString Smaller(int kbps) {
  return QStringLiteral("Audio Bitrate is smaller than %1 kbps.").arg(kbps);
}

const QString kMultiplesOf16 = QStringLiteral("Audio Bitrate must be multiples of 16.");

struct RateLimit {
  int32_t sampleRate;
  int32_t low;   // kbps
  int32_t high;  // kbps
};

QString CheckFaac(int32_t sampleRate, int32_t channels, int32_t bitRate) {
  // Ceilings per channel.
  static constexpr std::array<RateLimit, 5> kLimits = {
      {{16000, 0, 96}, {22050, 0, 132}, {32000, 0, 192}, {44100, 0, 264}, {48000, 0, 288}}};
  // A profile without channels is judged as mono rather than divided by zero.
  const int32_t count = channels > 0 ? channels : 1;
  for (const RateLimit& limit : kLimits) {
    if (limit.sampleRate == sampleRate) {
      if (bitRate / count > limit.high * 1000) {
        return Larger(count * limit.high);
      }
      return {};
    }
  }
  return {};
}

QString CheckAc3(int32_t sampleRate, int32_t bitRate) {
  static constexpr std::array<RateLimit, 5> kLimits = {
      {{16000, 16, 224}, {22050, 16, 224}, {32000, 32, 448}, {44100, 32, 448}, {48000, 32, 448}}};
  for (const RateLimit& limit : kLimits) {
    if (limit.sampleRate == sampleRate) {
      if (bitRate > limit.high * 1000) {
        return Larger(limit.high);
      }
      if (bitRate < limit.low * 1000) {
        return Smaller(limit.low);
      }
      return {};
    }
  }
  return {};
}

QString CheckMp2(int32_t sampleRate, int32_t bitRate) {
  if (sampleRate == 16000 || sampleRate == 22050) {
    // Below 64 kbps the low sample rates also take steps of 8 kbps.
    if ((bitRate < 64000 && bitRate % 8000 != 0) || (bitRate >= 64000 && bitRate % 16000 != 0)) {
      return kMultiplesOf16;
    }
    if (bitRate > 160000) {
      return Larger(160);
    }
    if (bitRate < 8000) {
      return Smaller(8);
    }
    return {};
  }
  if (sampleRate == 32000 || sampleRate == 44100 || sampleRate == 48000) {
    if (bitRate % 16000 != 0) {
      return kMultiplesOf16;
    }
    if (bitRate > 384000) {
      return Larger(384);
    }
    if (bitRate < 32000) {
      return Smaller(32);
    }
  }
  return {};
}

}  // namespace

QStringList SplitList(const QString& text, QChar separator) {
  return text.split(separator, Qt::SkipEmptyParts);
}

std::vector<ProfileChoice> ChoiceList(const QString& list) {
  std::vector<ProfileChoice> choices;
  for (const QString& entry : SplitList(list, u',')) {
    const QStringList parts = SplitList(entry, u'$');
    if (parts.size() == 2 && entry.count(u'$') == 1) {
      choices.push_back({parts[0], parts[1]});
    }
  }
  return choices;
}

std::vector<ProfileNumberChoice> NumberChoiceList(const QString& list) {
  std::vector<ProfileNumberChoice> choices;
  for (const ProfileChoice& choice : ChoiceList(list)) {
    qsizetype at = 0;
    const std::optional<int32_t> value = ReadNumber(choice.value, at);
    if (value && at == choice.value.size()) {
      choices.push_back({*value, choice.label});
    }
  }
  return choices;
}

std::optional<ProfileResolution> ParseResolution(const QString& text) {
  QString size = text;
  size.replace(u'x', u'*').replace(u'X', u'*');
  qsizetype at = 0;
  const std::optional<int32_t> width = ReadNumber(size, at);
  if (!width || at >= size.size() || size[at] != u'*') {
    return std::nullopt;
  }
  ++at;
  const std::optional<int32_t> height = ReadNumber(size, at);
  if (!height) {
    return std::nullopt;
  }
  if (*width % 2 != 0 || *height % 2 != 0 || *width < 64 || *width > 1920 || *height < 64 || *height > 1280) {
    return std::nullopt;
  }
  return ProfileResolution{*width, *height};
}

bool IsResolutionKey(QChar c) {
  // Backspace arrives as a typed character too, and must keep working.
  return (c >= u'0' && c <= u'9') || c == u'*' || c == u'x' || c == u'X' || c == u'\b';
}

QString CheckAudioBitRate(const QString& codec, int32_t sampleRate, int32_t channels, int32_t bitRate) {
  if (codec == QLatin1StringView("libfaac")) {
    return CheckFaac(sampleRate, channels, bitRate);
  }
  if (codec == QLatin1StringView("ac3")) {
    return CheckAc3(sampleRate, bitRate);
  }
  if (codec == QLatin1StringView("mp2")) {
    return CheckMp2(sampleRate, bitRate);
  }
  return {};
}
