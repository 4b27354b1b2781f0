#pragma once

#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "components/field_text.h"
#include "tasks/mui_item_info.h"
#include "tasks/task_tree.h"

namespace list_dump {

// Every field of every node, one line each, named by the node's place ("2.1 clipStart=..."), so that
// two lists compare field by field and a difference names the field. Written independently of the
// saved form on purpose: it checks that form, it must not share its mistakes.
inline std::string Real(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

inline std::string Q(const QString& text) {
  return text.toStdString();
}

inline std::string U(const std::u16string& text) {
  return QString::fromStdU16String(text).toStdString();
}

inline void DescribeItem(const std::string& at, const TaskNode* node, std::vector<std::string>& out) {
  const MuiItemInfo& item = *node->Item();
  auto add = [&](const std::string& field, const std::string& value) {
    out.push_back(at + " " + field + "=" + value);
  };
  auto num = [&](const std::string& field, long long value) { add(field, std::to_string(value)); };
  num("kind", item.itemKind());
  num("checkType", static_cast<int>(node->GetCheckType()));
  num("checkState", static_cast<int>(NormalForm(node->GetCheckState())));
  add("fileName", Q(item.fileName));
  add("sourcePath", Q(item.sourcePath));
  add("outputName", Q(item.outputName()));
  num("subtitleIndex", item.subtitleIndex);
  num("audioIndex", item.audioIndex);
  for (const StreamInfo& s : item.subtitles) {
    add("subtitle", std::to_string(s.id) + " " + s.label);
  }
  for (const StreamInfo& s : item.audioTracks) {
    add("audioTrack", std::to_string(s.id) + " " + s.label);
  }
  add("mergedLength", Real(item.mergedLength));
  add("mergedClipLength", Real(item.mergedClipLength));
  num("groupId", item.groupId);
  const ProfileSetting& p = item.profile;
  num("profile.ProfileId", p.ProfileId);
  for (int32_t group : p.Groups) {
    num("profile.Group", group);
  }
  for (const auto& [field, value] : {std::pair{"ProfileName", p.ProfileName},
                                     {"FormatExt", p.FormatExt},
                                     {"FormatName", p.FormatName},
                                     {"VideoCodecName", p.VideoCodecName},
                                     {"AudioCodecName", p.AudioCodecName},
                                     {"ExtraParam", p.ExtraParam},
                                     {"Resolutions", p.Resolutions},
                                     {"FrameRates", p.FrameRates},
                                     {"VideoCodecs", p.VideoCodecs},
                                     {"VideoBitRates", p.VideoBitRates},
                                     {"SampleRates", p.SampleRates},
                                     {"Channels", p.Channels},
                                     {"AudioCodecs", p.AudioCodecs},
                                     {"AudioBitRates", p.AudioBitRates}}) {
    add(std::string("profile.") + field, Q(value));
  }
  for (const auto& [field, value] : {std::pair{"AudioFormat", p.AudioFormat},
                                     {"Width", p.Width},
                                     {"Height", p.Height},
                                     {"KeepOriFrameRate", p.KeepOriFrameRate},
                                     {"FrameRate", p.FrameRate},
                                     {"VideoBitRate", p.VideoBitRate},
                                     {"SampleRate", p.SampleRate},
                                     {"AudioBitRate", p.AudioBitRate},
                                     {"Channel", p.Channel}}) {
    num(std::string("profile.") + field, value);
  }
  const CIInput& in = item.input;
  add("path", std::string(FieldText(in.path)));
  add("brightness", Real(in.effects.brightness));
  add("contrast", Real(in.effects.contrast));
  add("saturation", Real(in.effects.saturation));
  num("volume", in.effects.volume);
  num("deinterlace", in.effects.deinterlace);
  add("clipStart", Real(in.clipStart));
  add("clipLength", Real(in.clipLength));
  num("cropX", in.cropX);
  num("cropY", in.cropY);
  num("cropWidth", in.cropWidth);
  num("cropHeight", in.cropHeight);
  num("zoomMode", in.zoomMode);
  add("markFile", in.mark.markFile == nullptr ? "(none)" : in.mark.markFile);
  num("markFileIsOwn", in.mark.markFile == item.watermark.markFile.c_str() ? 1 : 0);
  num("markLeft", in.mark.markLeft);
  num("markTop", in.mark.markTop);
  num("markWidth", in.mark.markWidth);
  num("markHeight", in.mark.markHeight);
  num("markTransparency", in.mark.markTransparency);
  num("videoId", in.videoId);
  num("audioId", in.audioId);
  num("subtitleId", in.subtitleId);
  const MediaInfo& m = in.media;
  add("media.duration", Real(m.duration));
  for (const auto& [field, value] : {std::pair{"videoCount", m.videoCount},
                                     {"videoStreamId", m.videoStreamId},
                                     {"width", m.width},
                                     {"height", m.height},
                                     {"aspectNum", m.aspectNum},
                                     {"aspectDen", m.aspectDen},
                                     {"frameRateNum", m.frameRateNum},
                                     {"frameRateDen", m.frameRateDen},
                                     {"interlaced", m.interlaced},
                                     {"audioCount", m.audioCount},
                                     {"subtitleCount", m.subtitleCount}}) {
    num(std::string("media.") + field, value);
  }
  add("media.videoCodec", std::string(FieldText(m.videoCodec)));
  for (int i = 0; i < m.audioCount && i < kMaxAudioStreams; ++i) {
    const AudioStreamEntry& e = m.audioStreams[i];
    const int32_t id = e.id;
    const int32_t rate = e.sampleRate;
    add("media.audio", std::to_string(id) + " " + std::to_string(rate) + " " +
                           std::string(FieldText(e.channels)) + " " + std::string(FieldText(e.codec)) + " " +
                           std::string(FieldText(e.tag)));
  }
  for (int i = 0; i < m.subtitleCount && i < kMaxSubtitleStreams; ++i) {
    const SubtitleStreamEntry& e = m.subtitleStreams[i];
    const int32_t id = e.id;
    add("media.subtitle", std::to_string(id) + " " + std::string(FieldText(e.tag)));
  }
  const WatermarkInfo& w = item.watermark;
  num("watermark.enabled", w.enabled ? 1 : 0);
  num("watermark.type", w.type);
  add("watermark.text", U(w.text));
  add("watermark.font", w.font);
  add("watermark.textImage", U(w.textImage));
  add("watermark.picture", U(w.picture));
  add("watermark.markFile", w.markFile);
  num("watermark.refWidth", w.refWidth);
  num("watermark.refHeight", w.refHeight);
}

inline std::vector<std::string> DescribeList(const TaskTree& tree) {
  std::vector<std::string> out;
  const TaskNode* root = tree.Root();
  for (int i = 0; i < root->ChildCount(); ++i) {
    const TaskNode* node = root->ChildAt(i);
    DescribeItem(std::to_string(i + 1), node, out);
    for (int j = 0; j < node->ChildCount(); ++j) {
      DescribeItem(std::to_string(i + 1) + "." + std::to_string(j + 1), node->ChildAt(j), out);
    }
  }
  return out;
}

}  // namespace list_dump
