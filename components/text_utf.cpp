#include "components/text_utf.h"

#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at `pos` and advances past it. An ill-formed sequence yields
// kReplacement and advances past its maximal subpart (at least one byte). `valid` tells the two
// apart, as U+FFFD itself may be encoded in the text.
char32_t DecodeUtf8(std::string_view text, size_t& pos, bool& valid) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  valid = false;
  if (lead < 0x80) {
    valid = true;
    return lead;
  }
  size_t length = 0;
  char32_t value = 0;
  // The second byte's range is narrower after some leads: that is what excludes overlong forms,
  // surrogates and values above U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) {
      low = 0xA0;
    } else if (lead == 0xED) {
      high = 0x9F;
    }
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) {
      low = 0x90;
    } else if (lead == 0xF4) {
      high = 0x8F;
    }
  } else {
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    if (pos >= text.size()) {
      return kReplacement;
    }
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < low || byte > high) {
      return kReplacement;
    }
    low = 0x80;
    high = 0xBF;
    value = (value << 6) | (byte & 0x3F);
    ++pos;
  }
  valid = true;
  return value;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  bool valid = false;
  while (pos < text.size()) {
    const char32_t c = DecodeUtf8(text, pos, valid);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  bool valid = true;
  while (pos < text.size() && valid) {
    DecodeUtf8(text, pos, valid);
  }
  return valid;
}

void CopyTextToField(char* field, size_t width, std::string_view utf8) {
  if (width == 0) {
    return;
  }
  // Whole characters only, walking with the decoder so that even an ill-formed sequence is kept or
  // dropped as one unit.
  size_t fits = 0;
  size_t pos = 0;
  bool valid = false;
  while (pos < utf8.size()) {
    DecodeUtf8(utf8, pos, valid);
    if (pos > width - 1) {
      break;
    }
    fits = pos;
  }
  std::memcpy(field, utf8.data(), fits);
  std::memset(field + fits, 0, width - fits);
}
