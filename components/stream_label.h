#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "components/field_text.h"
#include "components/media_info.h"

// The choice texts of the audio-track and subtitle boxes. The id is written in upper-case
// hexadecimal without leading zeros, so every label begins "0x".

namespace stream_label_detail {
inline std::string Hex(int32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<uint32_t>(id));
  return text;
}
}  // namespace stream_label_detail

// "0x80 ac3 stereo eng": id, codec, channels and language, each separated by one blank.
inline std::string AudioStreamLabel(const AudioStreamEntry& entry) {
  std::string label = stream_label_detail::Hex(entry.id);
  for (std::string_view part : {FieldText(entry.codec), FieldText(entry.channels), FieldText(entry.tag)}) {
    label += ' ';
    label += part;
  }
  return label;
}

// "0x3 eng": id and language.
inline std::string SubtitleStreamLabel(const SubtitleStreamEntry& entry) {
  std::string label = stream_label_detail::Hex(entry.id);
  label += ' ';
  label += FieldText(entry.tag);
  return label;
}
