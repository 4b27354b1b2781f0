#include "tasks/list_snapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "components/field_text.h"
#include "components/text_utf.h"
#include "tasks/task_list.h"

namespace {

constexpr char kFormatName[] = "kestrelvine-task-list";
constexpr int kFormatVersion = 1;

// Far above any real list, low enough that a damaged count cannot make the reader allocate without
// end.
constexpr qsizetype kMaxItems = 1'000'000;
constexpr qsizetype kMaxProfiles = 100'000;
constexpr qsizetype kMaxNameChars = 4096;
constexpr qsizetype kMaxProfileTextChars = 1 << 16;
constexpr qsizetype kMaxTrackChoices = kMaxSubtitleStreams + 1;
// A week of media: a clip length or duration beyond it is a damaged number, not a film.
constexpr double kMaxSeconds = 7.0 * 24 * 3600;
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

// --- Writing ---------------------------------------------------------------------------------------

QString FieldString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonObject ProfileObject(const ProfileSetting& p) {
  return {{"ProfileId", p.ProfileId},
          {"Groups", JoinGroupList(p.Groups)},
          {"ProfileName", p.ProfileName},
          {"FormatExt", p.FormatExt},
          {"FormatName", p.FormatName},
          {"AudioFormat", p.AudioFormat},
          {"VideoCodecName", p.VideoCodecName},
          {"Width", p.Width},
          {"Height", p.Height},
          {"KeepOriFrameRate", p.KeepOriFrameRate},
          {"FrameRate", p.FrameRate},
          {"VideoBitRate", p.VideoBitRate},
          {"AudioCodecName", p.AudioCodecName},
          {"SampleRate", p.SampleRate},
          {"AudioBitRate", p.AudioBitRate},
          {"Channel", p.Channel},
          {"ExtraParam", p.ExtraParam},
          {"Resolutions", p.Resolutions},
          {"FrameRates", p.FrameRates},
          {"VideoCodecs", p.VideoCodecs},
          {"VideoBitRates", p.VideoBitRates},
          {"SampleRates", p.SampleRates},
          {"Channels", p.Channels},
          {"AudioCodecs", p.AudioCodecs},
          {"AudioBitRates", p.AudioBitRates}};
}

bool SameProfile(const ProfileSetting& a, const ProfileSetting& b) {
  auto tie = [](const ProfileSetting& p) {
    return std::tie(p.ProfileId, p.Groups, p.ProfileName, p.FormatExt, p.FormatName, p.AudioFormat,
                    p.VideoCodecName, p.Width, p.Height, p.KeepOriFrameRate, p.FrameRate, p.VideoBitRate,
                    p.AudioCodecName, p.SampleRate, p.AudioBitRate, p.Channel, p.ExtraParam, p.Resolutions,
                    p.FrameRates, p.VideoCodecs, p.VideoBitRates, p.SampleRates, p.Channels, p.AudioCodecs,
                    p.AudioBitRates);
  };
  return tie(a) == tie(b);
}

// Items nearly always share a handful of profiles, and a profile with its choice lists is the largest
// part of an item; so each distinct profile is written once and items name it by its place.
class ProfileTable {
 public:
  int IndexOf(const ProfileSetting& profile) {
    const auto key = std::make_pair(profile.ProfileId, profile.ProfileName);
    for (int index : byKey_.value(key)) {
      if (SameProfile(kept_[static_cast<size_t>(index)], profile)) {
        return index;
      }
    }
    const int index = static_cast<int>(kept_.size());
    kept_.push_back(profile);
    byKey_[key].push_back(index);
    return index;
  }
  QJsonArray ToJson() const {
    QJsonArray array;
    for (const ProfileSetting& profile : kept_) {
      array.append(ProfileObject(profile));
    }
    return array;
  }

 private:
  std::vector<ProfileSetting> kept_;
  QHash<std::pair<int32_t, QString>, std::vector<int>> byKey_;
};

QJsonArray ChoicesArray(const std::vector<StreamInfo>& choices) {
  QJsonArray array;
  for (const StreamInfo& choice : choices) {
    array.append(QJsonArray{choice.id, QString::fromStdString(choice.label)});
  }
  return array;
}

QJsonObject MediaObject(const MediaInfo& m) {
  QJsonArray audio;
  for (int32_t i = 0; i < m.audioCount && i < kMaxAudioStreams; ++i) {
    const AudioStreamEntry& e = m.audioStreams[i];
    const int32_t id = e.id;
    const int32_t sampleRate = e.sampleRate;
    audio.append(QJsonObject{{"id", id},
                             {"sampleRate", sampleRate},
                             {"channels", FieldString(FieldText(e.channels))},
                             {"codec", FieldString(FieldText(e.codec))},
                             {"tag", FieldString(FieldText(e.tag))}});
  }
  QJsonArray subtitles;
  for (int32_t i = 0; i < m.subtitleCount && i < kMaxSubtitleStreams; ++i) {
    const SubtitleStreamEntry& e = m.subtitleStreams[i];
    const int32_t id = e.id;
    subtitles.append(QJsonObject{{"id", id}, {"tag", FieldString(FieldText(e.tag))}});
  }
  return {{"duration", m.duration},
          {"videoCount", m.videoCount},
          {"videoStreamId", m.videoStreamId},
          {"width", m.width},
          {"height", m.height},
          {"aspectNum", m.aspectNum},
          {"aspectDen", m.aspectDen},
          {"frameRateNum", m.frameRateNum},
          {"frameRateDen", m.frameRateDen},
          {"videoCodec", FieldString(FieldText(m.videoCodec))},
          {"interlaced", m.interlaced},
          {"audioStreams", audio},
          {"subtitleStreams", subtitles}};
}

QJsonObject InputObject(const CIInput& in) {
  const EffectBlock& fx = in.effects;
  const WatermarkBlock& mark = in.mark;
  return {{"path", FieldString(FieldText(in.path))},
          {"effects", QJsonObject{{"brightness", fx.brightness},
                                  {"contrast", fx.contrast},
                                  {"saturation", fx.saturation},
                                  {"volume", fx.volume},
                                  {"deinterlace", fx.deinterlace}}},
          {"clipStart", in.clipStart},
          {"clipLength", in.clipLength},
          {"crop", QJsonArray{in.cropX, in.cropY, in.cropWidth, in.cropHeight}},
          {"zoomMode", in.zoomMode},
          {"mark", QJsonObject{{"set", mark.markFile != nullptr},
                               {"left", mark.markLeft},
                               {"top", mark.markTop},
                               {"width", mark.markWidth},
                               {"height", mark.markHeight},
                               {"transparency", mark.markTransparency}}},
          {"videoId", in.videoId},
          {"audioId", in.audioId},
          {"subtitleId", in.subtitleId},
          {"media", MediaObject(in.media)}};
}

QJsonObject WatermarkObject(const WatermarkInfo& w) {
  return {{"enabled", w.enabled},
          {"type", w.type},
          {"text", QString::fromStdU16String(w.text)},
          {"font", QString::fromStdString(w.font)},
          {"textImage", QString::fromStdU16String(w.textImage)},
          {"picture", QString::fromStdU16String(w.picture)},
          {"markFile", QString::fromStdString(w.markFile)},
          {"refWidth", w.refWidth},
          {"refHeight", w.refHeight}};
}

QJsonObject NodeObject(const SnapshotNode& node, ProfileTable& profiles) {
  const MuiItemInfo& item = *node.item;
  QJsonObject object{{"kind", item.itemKind()},
                     {"checkType", static_cast<int>(node.checkType)},
                     {"checkState", static_cast<int>(NormalForm(node.checkState))},
                     {"fileName", item.fileName},
                     {"sourcePath", item.sourcePath},
                     {"outputName", item.outputName()},
                     {"subtitleIndex", item.subtitleIndex},
                     {"audioIndex", item.audioIndex},
                     {"subtitles", ChoicesArray(item.subtitles)},
                     {"audioTracks", ChoicesArray(item.audioTracks)},
                     {"mergedLength", item.mergedLength},
                     {"mergedClipLength", item.mergedClipLength},
                     {"groupId", item.groupId},
                     {"profile", profiles.IndexOf(item.profile)},
                     {"input", InputObject(item.input)},
                     {"watermark", WatermarkObject(item.watermark)}};
  if (!node.parts.empty()) {
    QJsonArray parts;
    for (const SnapshotNode& part : node.parts) {
      parts.append(NodeObject(part, profiles));
    }
    object.insert("parts", parts);
  }
  return object;
}

SnapshotNode CaptureNode(const TaskNode* node) {
  SnapshotNode captured;
  captured.item = std::make_unique<MuiItemInfo>(*node->Item());
  captured.checkType = node->GetCheckType();
  captured.checkState = NormalForm(node->GetCheckState());
  for (int i = 0; i < node->ChildCount(); ++i) {
    captured.parts.push_back(CaptureNode(node->ChildAt(i)));
  }
  return captured;
}

// --- Reading ---------------------------------------------------------------------------------------

// Reads fields out of untrusted objects. The first problem is kept as the error and every later read
// answers a harmless default, so a caller reads a whole record and checks once.
class Reader {
 public:
  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }
  void Fail(const QString& what) {
    if (error_.isEmpty()) {
      error_ = what;
    }
  }

  QJsonValue Value(const QJsonObject& o, const char* key) {
    const QJsonValue value = o.value(QLatin1String(key));
    if (value.isUndefined()) {
      Fail(QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
    }
    return value;
  }
  double Real(const QJsonObject& o, const char* key, double lo, double hi) {
    const QJsonValue value = Value(o, key);
    const double n = value.toDouble(std::numeric_limits<double>::quiet_NaN());
    if (!value.isDouble() || !std::isfinite(n) || n < lo || n > hi) {
      Fail(QStringLiteral("\"%1\" is not a number in its range").arg(QLatin1String(key)));
      return 0.0;
    }
    return n;
  }
  int32_t IntOf(const QJsonValue& value, const char* key, int64_t lo, int64_t hi) {
    const double n = value.toDouble(std::numeric_limits<double>::quiet_NaN());
    if (!value.isDouble() || !std::isfinite(n) || n != std::trunc(n) || n < static_cast<double>(lo) ||
        n > static_cast<double>(hi)) {
      Fail(QStringLiteral("\"%1\" is not a whole number in its range").arg(QLatin1String(key)));
      return 0;
    }
    return static_cast<int32_t>(n);
  }
  int32_t Int(const QJsonObject& o, const char* key, int64_t lo = kInt32Min, int64_t hi = kInt32Max) {
    return IntOf(Value(o, key), key, lo, hi);
  }
  bool Bool(const QJsonObject& o, const char* key) {
    const QJsonValue value = Value(o, key);
    if (!value.isBool()) {
      Fail(QStringLiteral("\"%1\" is not true or false").arg(QLatin1String(key)));
    }
    return value.toBool();
  }
  QString Text(const QJsonObject& o, const char* key, qsizetype maxChars) {
    const QJsonValue value = Value(o, key);
    if (!value.isString() || value.toString().size() > maxChars) {
      Fail(QStringLiteral("\"%1\" is not a text of a usable length").arg(QLatin1String(key)));
      return {};
    }
    return value.toString();
  }
  QJsonObject Object(const QJsonObject& o, const char* key) {
    const QJsonValue value = Value(o, key);
    if (!value.isObject()) {
      Fail(QStringLiteral("\"%1\" is not a record").arg(QLatin1String(key)));
    }
    return value.toObject();
  }
  QJsonArray Array(const QJsonObject& o, const char* key, qsizetype maxSize) {
    const QJsonValue value = Value(o, key);
    if (!value.isArray() || value.toArray().size() > maxSize) {
      Fail(QStringLiteral("\"%1\" is not a list of a usable length").arg(QLatin1String(key)));
      return {};
    }
    return value.toArray();
  }
  // A text into a fixed record field: it must fit whole, as it did when it was written.
  template <size_t N>
  void Field(const QJsonObject& o, const char* key, char (&field)[N]) {
    const QByteArray utf8 = Text(o, key, static_cast<qsizetype>(N)).toUtf8();
    if (static_cast<size_t>(utf8.size()) >= N) {
      Fail(QStringLiteral("\"%1\" does not fit its field").arg(QLatin1String(key)));
      return;
    }
    CopyTextToField(field, N, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  }

 private:
  QString error_;
};

ProfileSetting ReadProfile(Reader& r, const QJsonObject& o) {
  ProfileSetting p;
  auto text = [&](const char* key) { return r.Text(o, key, kMaxProfileTextChars); };
  p.ProfileId = r.Int(o, "ProfileId");
  p.Groups = ParseGroupList(text("Groups"));
  p.ProfileName = text("ProfileName");
  p.FormatExt = text("FormatExt");
  p.FormatName = text("FormatName");
  p.AudioFormat = r.Int(o, "AudioFormat");
  p.VideoCodecName = text("VideoCodecName");
  p.Width = r.Int(o, "Width");
  p.Height = r.Int(o, "Height");
  p.KeepOriFrameRate = r.Int(o, "KeepOriFrameRate");
  p.FrameRate = r.Int(o, "FrameRate");
  p.VideoBitRate = r.Int(o, "VideoBitRate");
  p.AudioCodecName = text("AudioCodecName");
  p.SampleRate = r.Int(o, "SampleRate");
  p.AudioBitRate = r.Int(o, "AudioBitRate");
  p.Channel = r.Int(o, "Channel");
  p.ExtraParam = text("ExtraParam");
  p.Resolutions = text("Resolutions");
  p.FrameRates = text("FrameRates");
  p.VideoCodecs = text("VideoCodecs");
  p.VideoBitRates = text("VideoBitRates");
  p.SampleRates = text("SampleRates");
  p.Channels = text("Channels");
  p.AudioCodecs = text("AudioCodecs");
  p.AudioBitRates = text("AudioBitRates");
  return p;
}

std::vector<StreamInfo> ReadChoices(Reader& r, const QJsonObject& o, const char* key) {
  std::vector<StreamInfo> choices;
  for (const QJsonValue& entry : r.Array(o, key, kMaxTrackChoices)) {
    const QJsonArray pair = entry.toArray();
    if (!entry.isArray() || pair.size() != 2 || !pair[1].isString() ||
        pair[1].toString().size() > kMaxNameChars) {
      r.Fail(QStringLiteral("a track choice is damaged"));
      return {};
    }
    choices.push_back({r.IntOf(pair[0], key, kInt32Min, kInt32Max), pair[1].toString().toStdString()});
  }
  return choices;
}

void ReadMedia(Reader& r, const QJsonObject& o, MediaInfo& m) {
  m = MediaInfo{};
  m.duration = r.Real(o, "duration", 0.0, kMaxSeconds);
  m.videoCount = r.Int(o, "videoCount", 0, kInt32Max);
  m.videoStreamId = r.Int(o, "videoStreamId");
  m.width = r.Int(o, "width", 0, kInt32Max);
  m.height = r.Int(o, "height", 0, kInt32Max);
  m.aspectNum = r.Int(o, "aspectNum");
  m.aspectDen = r.Int(o, "aspectDen");
  m.frameRateNum = r.Int(o, "frameRateNum");
  m.frameRateDen = r.Int(o, "frameRateDen");
  r.Field(o, "videoCodec", m.videoCodec);
  m.interlaced = r.Int(o, "interlaced");
  const QJsonArray audio = r.Array(o, "audioStreams", kMaxAudioStreams);
  m.audioCount = static_cast<int32_t>(audio.size());
  for (qsizetype i = 0; i < audio.size(); ++i) {
    const QJsonObject e = audio[i].toObject();
    AudioStreamEntry& entry = m.audioStreams[i];
    entry.id = r.Int(e, "id");
    entry.sampleRate = r.Int(e, "sampleRate", 0, kInt32Max);
    r.Field(e, "channels", entry.channels);
    r.Field(e, "codec", entry.codec);
    r.Field(e, "tag", entry.tag);
  }
  const QJsonArray subtitles = r.Array(o, "subtitleStreams", kMaxSubtitleStreams);
  m.subtitleCount = static_cast<int32_t>(subtitles.size());
  for (qsizetype i = 0; i < subtitles.size(); ++i) {
    const QJsonObject e = subtitles[i].toObject();
    SubtitleStreamEntry& entry = m.subtitleStreams[i];
    entry.id = r.Int(e, "id");
    r.Field(e, "tag", entry.tag);
  }
}

// The ranges are those the records document; ids and sizes only have to be whole 32-bit numbers.
void ReadInput(Reader& r, const QJsonObject& o, CIInput& in, bool& markSet) {
  r.Field(o, "path", in.path);
  const QJsonObject fx = r.Object(o, "effects");
  in.effects.brightness = r.Real(fx, "brightness", -100.0, 100.0);
  in.effects.contrast = r.Real(fx, "contrast", -100.0, 100.0);
  in.effects.saturation = r.Real(fx, "saturation", -100.0, 100.0);
  in.effects.volume = r.Int(fx, "volume", 0, 512);
  in.effects.deinterlace = r.Int(fx, "deinterlace");
  in.clipStart = r.Real(o, "clipStart", 0.0, kMaxSeconds);
  in.clipLength = r.Real(o, "clipLength", 0.0, kMaxSeconds);
  const QJsonArray crop = r.Array(o, "crop", 4);
  if (crop.size() != 4) {
    r.Fail(QStringLiteral("\"crop\" is damaged"));
  } else {
    in.cropX = r.IntOf(crop[0], "crop", 0, kInt32Max);
    in.cropY = r.IntOf(crop[1], "crop", 0, kInt32Max);
    in.cropWidth = r.IntOf(crop[2], "crop", 0, kInt32Max);
    in.cropHeight = r.IntOf(crop[3], "crop", 0, kInt32Max);
  }
  in.zoomMode = r.Int(o, "zoomMode", 0, 3);
  const QJsonObject mark = r.Object(o, "mark");
  markSet = r.Bool(mark, "set");
  in.mark.markLeft = r.Int(mark, "left");
  in.mark.markTop = r.Int(mark, "top");
  in.mark.markWidth = r.Int(mark, "width", 0, kInt32Max);
  in.mark.markHeight = r.Int(mark, "height", 0, kInt32Max);
  in.mark.markTransparency = r.Int(mark, "transparency", 0, 99);
  in.videoId = r.Int(o, "videoId");
  in.audioId = r.Int(o, "audioId");
  in.subtitleId = r.Int(o, "subtitleId");
  ReadMedia(r, r.Object(o, "media"), in.media);
}

void ReadWatermark(Reader& r, const QJsonObject& o, WatermarkInfo& w) {
  w.enabled = r.Bool(o, "enabled");
  w.type = r.Int(o, "type", 0, 2);
  w.text = r.Text(o, "text", kMaxProfileTextChars).toStdU16String();
  w.font = r.Text(o, "font", kMaxNameChars).toStdString();
  w.textImage = r.Text(o, "textImage", kMaxNameChars).toStdU16String();
  w.picture = r.Text(o, "picture", kMaxNameChars).toStdU16String();
  w.markFile = r.Text(o, "markFile", kMaxNameChars).toStdString();
  w.refWidth = r.Int(o, "refWidth", 0, kInt32Max);
  w.refHeight = r.Int(o, "refHeight", 0, kInt32Max);
}

bool ReadNode(Reader& r, const QJsonValue& value, const std::vector<ProfileSetting>& profiles, bool part,
              SnapshotNode& out) {
  if (!value.isObject()) {
    r.Fail(QStringLiteral("an item is not a record"));
    return false;
  }
  const QJsonObject o = value.toObject();
  auto item = std::make_unique<MuiItemInfo>();
  const int32_t kind = r.Int(o, "kind", kSingleItem, kMergePart);
  out.checkType = static_cast<CheckType>(r.Int(o, "checkType", static_cast<int>(CheckType::None),
                                               static_cast<int>(CheckType::TriStateCheckBox)));
  out.checkState = NormalForm(
      static_cast<CheckState>(r.Int(o, "checkState", 0, static_cast<int>(CheckState::MixedPressed))));
  item->fileName = r.Text(o, "fileName", kMaxNameChars);
  item->sourcePath = r.Text(o, "sourcePath", kMaxNameChars);
  item->SetOutputName(r.Text(o, "outputName", kMaxNameChars));
  item->subtitles = ReadChoices(r, o, "subtitles");
  item->audioTracks = ReadChoices(r, o, "audioTracks");
  // An index the boxes cannot show would make a track choice name nothing.
  item->subtitleIndex = r.Int(o, "subtitleIndex", -1, static_cast<int64_t>(item->subtitles.size()) - 1);
  item->audioIndex = r.Int(o, "audioIndex", -1, static_cast<int64_t>(item->audioTracks.size()) - 1);
  item->mergedLength = r.Real(o, "mergedLength", 0.0, kMaxSeconds * kMaxItems);
  item->mergedClipLength = r.Real(o, "mergedClipLength", 0.0, kMaxSeconds * kMaxItems);
  item->groupId = r.Int(o, "groupId");
  const int32_t profile = r.Int(o, "profile", 0, static_cast<int64_t>(profiles.size()) - 1);
  bool markSet = false;
  ReadInput(r, r.Object(o, "input"), item->input, markSet);
  ReadWatermark(r, r.Object(o, "watermark"), item->watermark);
  if (!r.ok()) {
    return false;
  }
  item->profile = profiles[static_cast<size_t>(profile)];
  item->input.mark.markFile = markSet ? item->watermark.markFile.c_str() : nullptr;
  item->SetItemKind(kind);

  // The shapes the list makes: top-level singles and merged items, parts only inside a merged item,
  // and every merged item with at least one part.
  const bool hasParts = o.contains(QLatin1String("parts"));
  if (part != (kind == kMergePart) || hasParts != (kind == kMergedItem)) {
    r.Fail(QStringLiteral("an item is out of its place in the list"));
    return false;
  }
  if (hasParts) {
    const QJsonArray parts = r.Array(o, "parts", kMaxItems);
    if (parts.isEmpty()) {
      r.Fail(QStringLiteral("a merged item has no parts"));
    }
    for (const QJsonValue& child : parts) {
      SnapshotNode node;
      if (!ReadNode(r, child, profiles, true, node)) {
        return false;
      }
      out.parts.push_back(std::move(node));
    }
  }
  out.item = std::move(item);
  return r.ok();
}

}  // namespace

std::vector<SnapshotNode> CaptureList(const TaskTree& tree) {
  std::vector<SnapshotNode> nodes;
  const TaskNode* root = tree.Root();
  nodes.reserve(static_cast<size_t>(root->ChildCount()));
  for (int i = 0; i < root->ChildCount(); ++i) {
    nodes.push_back(CaptureNode(root->ChildAt(i)));
  }
  return nodes;
}

QByteArray EncodeListSnapshot(const std::vector<SnapshotNode>& nodes) {
  ProfileTable profiles;
  QJsonArray items;
  for (const SnapshotNode& node : nodes) {
    items.append(NodeObject(node, profiles));
  }
  const QJsonObject document{{"format", QLatin1String(kFormatName)},
                             {"version", kFormatVersion},
                             {"profiles", profiles.ToJson()},
                             {"items", items}};
  return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

QByteArray EncodeListSnapshot(const TaskTree& tree) {
  return EncodeListSnapshot(CaptureList(tree));
}

bool DecodeListSnapshot(const QByteArray& bytes, std::vector<SnapshotNode>& out, QString& error) {
  out.clear();
  QJsonParseError parse{};
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
  if (parse.error != QJsonParseError::NoError || !document.isObject()) {
    error = QStringLiteral("it is not a readable document (%1 at byte %2)")
                .arg(parse.errorString())
                .arg(parse.offset);
    return false;
  }
  const QJsonObject top = document.object();
  Reader r;
  if (top.value(QLatin1String("format")).toString() != QLatin1String(kFormatName)) {
    error = QStringLiteral("it is not a task list of this program");
    return false;
  }
  const int32_t version = r.Int(top, "version", 1, kInt32Max);
  if (r.ok() && version > kFormatVersion) {
    error = QStringLiteral("it was written by a newer version of the program (format %1)").arg(version);
    return false;
  }
  std::vector<ProfileSetting> profiles;
  for (const QJsonValue& value : r.Array(top, "profiles", kMaxProfiles)) {
    if (!value.isObject()) {
      r.Fail(QStringLiteral("a profile is not a record"));
      break;
    }
    profiles.push_back(ReadProfile(r, value.toObject()));
  }
  std::vector<SnapshotNode> nodes;
  for (const QJsonValue& value : r.Array(top, "items", kMaxItems)) {
    SnapshotNode node;
    if (!r.ok() || !ReadNode(r, value, profiles, false, node)) {
      break;
    }
    nodes.push_back(std::move(node));
  }
  if (!r.ok()) {
    error = r.error();
    return false;
  }
  out = std::move(nodes);
  return true;
}

void AdoptTextPictures(std::vector<SnapshotNode>& nodes, const QString& folder,
                       const std::function<QString()>& nextPath) {
  if (folder.isEmpty()) {
    return;
  }
  const QString prefix = QDir(folder).absolutePath() + u'/';
  std::vector<MuiItemInfo*> items;
  for (SnapshotNode& node : nodes) {
    items.push_back(node.item.get());
    for (SnapshotNode& part : node.parts) {
      items.push_back(part.item.get());
    }
  }
  // First every picture steps aside under a name no new picture takes, then each takes its new
  // name: a new name may be an old name of another picture still waiting.
  QHash<QString, QString> aside;  // old path -> name aside
  for (const MuiItemInfo* item : items) {
    const QString old = QString::fromStdU16String(item->watermark.textImage);
    if (!old.startsWith(prefix) || aside.contains(old) || !QFileInfo(old).isFile()) {
      continue;
    }
    const QString step = prefix + QStringLiteral("Restoring%1.bmp").arg(aside.size());
    QFile::remove(step);
    if (QFile::rename(old, step)) {
      aside.insert(old, step);
    }
  }
  QHash<QString, QString> renamed;  // old path -> new path
  for (auto it = aside.cbegin(); it != aside.cend(); ++it) {
    const QString next = nextPath();
    QFile::remove(next);
    renamed.insert(it.key(), !next.isEmpty() && QFile::rename(it.value(), next) ? next : it.value());
  }
  for (MuiItemInfo* item : items) {
    WatermarkInfo& w = item->watermark;
    const QString old = QString::fromStdU16String(w.textImage);
    const auto found = renamed.constFind(old);
    if (found == renamed.cend()) {
      continue;
    }
    w.textImage = found.value().toStdU16String();
    if (QString::fromStdString(w.markFile) == old) {
      w.markFile = found.value().toStdString();
      item->RepointMarkFile();
    }
  }
}

SnapshotRestore RestoreListSnapshot(std::vector<SnapshotNode> nodes, TVirtualStringTreeHelper& list,
                                    const std::function<bool(const QString& path)>& exists) {
  SnapshotRestore result;
  TaskTree* tree = list.Tree();
  if (tree == nullptr) {
    return result;
  }
  QSet<QString> missingSeen;
  auto present = [&](const MuiItemInfo& item) {
    if (exists(item.sourcePath)) {
      return true;
    }
    if (!missingSeen.contains(item.sourcePath)) {
      missingSeen.insert(item.sourcePath);
      result.missingSources.push_back(item.sourcePath);
    }
    return false;
  };

  tree->BeginUpdate();
  for (SnapshotNode& node : nodes) {
    MuiItemInfo& item = *node.item;
    std::vector<SnapshotNode*> kept;
    if (item.itemKind() == kMergedItem) {
      for (SnapshotNode& part : node.parts) {
        if (present(*part.item)) {
          kept.push_back(&part);
        } else {
          // As when the user removes a part.
          item.mergedLength -= part.item->input.media.duration;
          item.mergedClipLength -= part.item->input.clipLength;
        }
      }
      if (kept.empty()) {
        continue;
      }
    } else if (!present(item)) {
      continue;
    }
    QString name = item.outputName();
    list.MakeOutputNameUnique(nullptr, name);
    item.SetOutputName(name);
    TaskNode* added = tree->AddChild(nullptr, std::move(node.item), node.checkType, node.checkState);
    for (SnapshotNode* part : kept) {
      tree->AddChild(added, std::move(part->item), part->checkType, part->checkState);
    }
    ++result.added;
  }
  tree->EndUpdate();
  return result;
}
