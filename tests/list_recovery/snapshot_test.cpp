// The saved form of the task list: a list with every kind of edit comes back field by field, a damaged
// file is refused with a reason and never crashes, and the restore leaves out what is gone.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/mui_context.h"
#include "components/text_utf.h"
#include "tasks/item_factory.h"
#include "tasks/list_snapshot.h"
#include "tasks/snapshot_writer.h"
#include "tasks/task_list.h"
#include "tasks/track_choice.h"
#include "tests/list_recovery/list_dump.h"

namespace {

MediaInfo SampleMedia(double duration) {
  MediaInfo m{};
  m.duration = duration;
  m.videoCount = 1;
  m.videoStreamId = 0;
  m.width = 1280;
  m.height = 720;
  m.aspectNum = 16;
  m.aspectDen = 9;
  m.frameRateNum = 30000;
  m.frameRateDen = 1001;
  CopyTextToField(m.videoCodec, sizeof m.videoCodec, "h264");
  m.interlaced = 1;
  const char* tags[] = {"eng", "deu"};
  for (int i = 0; i < 2; ++i) {
    AudioStreamEntry& a = m.audioStreams[i];
    a.id = 0x80 + i;
    a.sampleRate = 48000;
    CopyTextToField(a.channels, sizeof a.channels, "5.1(side)");
    CopyTextToField(a.codec, sizeof a.codec, "ac3");
    CopyTextToField(a.tag, sizeof a.tag, tags[i]);
  }
  m.audioCount = 2;
  for (int i = 0; i < 3; ++i) {
    m.subtitleStreams[i].id = 0x20 + i;
    CopyTextToField(m.subtitleStreams[i].tag, sizeof m.subtitleStreams[i].tag, "fra");
  }
  m.subtitleCount = 3;
  return m;
}

ProfileSetting Profile(int32_t id, const QString& name, const QString& ext) {
  ProfileSetting p;
  p.ProfileId = id;
  p.Groups = {1, 9};
  p.ProfileName = name;
  p.FormatExt = ext;
  p.FormatName = ext.mid(1);
  p.VideoCodecName = "libx264";
  p.Width = 640;
  p.Height = 480;
  p.FrameRate = -1;
  p.KeepOriFrameRate = 1;
  p.VideoBitRate = 1'200'000;
  p.AudioCodecName = "aac";
  p.SampleRate = 44100;
  p.AudioBitRate = 128'000;
  p.Channel = 2;
  p.ExtraParam = "-preset slow";
  p.Resolutions = "320x240,640x480";
  p.FrameRates = "-1$Keep,25$25";
  p.VideoCodecs = "libx264$H.264";
  p.VideoBitRates = "1200000$1200k";
  p.SampleRates = "44100$44100";
  p.Channels = "2$Stereo";
  p.AudioCodecs = "aac$AAC";
  p.AudioBitRates = "128000$128k";
  return p;
}

// A list and the tree it is bound to.
struct List {
  MuiContext context;
  TaskTree tree;
  TVirtualStringTreeHelper list{context};
  List() { list.Bind(tree, 3); }

  TaskNode* Add(const QString& path, double duration, const ProfileSetting& profile) {
    auto item = NewFileItem(path, SampleMedia(duration), profile, 1);
    QString name = FileNameOf(path).section('.', 0, 0) + profile.FormatExt;
    list.MakeOutputNameUnique(nullptr, name);
    item->SetOutputName(name);
    return tree.AddChild(nullptr, std::move(item), CheckType::TriStateCheckBox, CheckState::CheckedNormal);
  }
};

// Three sources with every kind of edit, one unchecked, one with another profile, and a merged item
// of two of them whose parts carry edits of their own.
void BuildEditedList(List& l) {
  const ProfileSetting mp4 = Profile(11, "MP4 Video", ".mp4");
  const ProfileSetting avi = Profile(13, "AVI Video", ".avi");
  TaskNode* trimmed = l.Add("/media/Ferien 2024 – Strand.mkv", 95.5, mp4);
  TaskNode* marked = l.Add("/media/talk.mp4", 3600.25, mp4);
  TaskNode* other = l.Add("/media/song.webm", 12.0, avi);

  MuiItemInfo& a = *trimmed->Item();
  a.input.clipStart = 12.345678901234;
  a.input.clipLength = 33.3;
  a.input.cropX = 16;
  a.input.cropY = 8;
  a.input.cropWidth = 1248;
  a.input.cropHeight = 704;
  a.input.zoomMode = 2;
  a.input.effects.brightness = -12.5;
  a.input.effects.contrast = 40;
  a.input.effects.saturation = 0.1;
  a.input.effects.volume = 384;
  a.input.effects.deinterlace = 0;
  ChooseTrack(a, TrackKind::Audio, 1);
  ChooseTrack(a, TrackKind::Subtitle, 2);
  a.SetOutputName("Strand «final».mp4");

  MuiItemInfo& b = *marked->Item();
  b.watermark.enabled = true;
  b.watermark.type = 1;
  b.watermark.text = u"© Ünïcode 水印";
  b.watermark.font = "Sans,24,-1,5,700,0,0,0,0,0|#ff8000";
  b.watermark.textImage = u"/data/TextImage/TxtImg3.bmp";
  b.watermark.picture = u"/pictures/logo.png";
  b.watermark.markFile = "/data/TextImage/TxtImg3.bmp";
  b.watermark.refWidth = 1280;
  b.watermark.refHeight = 720;
  b.input.mark = {b.watermark.markFile.c_str(), 10, 20, 300, 60, 35};
  b.groupId = 9;

  l.tree.SetCheckState(other, CheckState::UncheckedNormal);
  l.tree.ClearSelection();
  l.tree.SetSelected(trimmed, true);
  l.tree.SetSelected(marked, true);
  TaskNode* merged = l.list.MergeSelected(avi, 2);
  ASSERT_NE(merged, nullptr);
  MuiItemInfo& part = *merged->ChildAt(1)->Item();
  const double old = part.input.clipLength;
  part.input.clipStart = 100;
  part.input.clipLength = 200;
  l.list.AfterClipEdit(&part, old, false);
}

std::vector<std::string> RoundTrip(const TaskTree& from, List& into, QString* error = nullptr) {
  std::vector<SnapshotNode> nodes;
  QString reason;
  EXPECT_TRUE(DecodeListSnapshot(EncodeListSnapshot(from), nodes, reason)) << reason.toStdString();
  RestoreListSnapshot(std::move(nodes), into.list, [](const QString&) { return true; });
  return list_dump::DescribeList(into.tree);
}

TEST(ListSnapshot, EveryEditAndMergedItemComeBackFieldByField) {
  List original;
  BuildEditedList(original);
  const std::vector<std::string> before = list_dump::DescribeList(original.tree);
  ASSERT_EQ(original.tree.TopLevelCount(), 4);

  List restored;
  EXPECT_EQ(RoundTrip(original.tree, restored), before);
  // Nothing is lost on the second way round either, and the text is stable.
  EXPECT_EQ(EncodeListSnapshot(restored.tree), EncodeListSnapshot(original.tree));
  // The watermark block points at the item's own text, not at the original's.
  const MuiItemInfo& marked = *restored.tree.Root()->ChildAt(1)->Item();
  EXPECT_EQ(marked.input.mark.markFile, marked.watermark.markFile.c_str());
}

TEST(ListSnapshot, AnEmptyListIsAnEmptyList) {
  List empty;
  List restored;
  EXPECT_TRUE(RoundTrip(empty.tree, restored).empty());
}

TEST(ListSnapshot, RestoredNamesStayUniqueInAListThatHasItemsAlready) {
  List original;
  BuildEditedList(original);
  List target;
  target.Add("/elsewhere/talk.mp4", 10, Profile(11, "MP4 Video", ".mp4"));
  RoundTrip(original.tree, target);
  QSet<QString> names;
  for (int i = 0; i < target.tree.TopLevelCount(); ++i) {
    const QString name = target.tree.Root()->ChildAt(i)->Item()->outputName();
    EXPECT_FALSE(names.contains(name)) << name.toStdString();
    names.insert(name);
  }
}

TEST(ListSnapshot, SourcesThatAreGoneAreLeftOutAndNamedOnce) {
  List original;
  BuildEditedList(original);
  // A second merged item made only of the song.
  original.tree.ClearSelection();
  original.tree.SetSelected(original.tree.Root()->ChildAt(2), true);
  original.list.MergeSelected(Profile(11, "MP4 Video", ".mp4"), 1);
  const MuiItemInfo merged = *original.tree.Root()->ChildAt(3)->Item();
  const double talkDuration = original.tree.Root()->ChildAt(1)->Item()->input.media.duration;

  std::vector<SnapshotNode> nodes;
  QString error;
  ASSERT_TRUE(DecodeListSnapshot(EncodeListSnapshot(original.tree), nodes, error));
  List restored;
  const QSet<QString> gone{"/media/talk.mp4", "/media/song.webm"};
  const SnapshotRestore result = RestoreListSnapshot(
      std::move(nodes), restored.list, [&](const QString& path) { return !gone.contains(path); });

  EXPECT_EQ(result.missingSources, QStringList({"/media/talk.mp4", "/media/song.webm"}));
  // The trimmed source and the first merged item with its one remaining part.
  ASSERT_EQ(result.added, 2);
  ASSERT_EQ(restored.tree.TopLevelCount(), 2);
  const TaskNode* mergedNode = restored.tree.Root()->ChildAt(1);
  ASSERT_EQ(mergedNode->ChildCount(), 1);
  EXPECT_EQ(mergedNode->ChildAt(0)->Item()->sourcePath, "/media/Ferien 2024 – Strand.mkv");
  EXPECT_DOUBLE_EQ(mergedNode->Item()->mergedLength, merged.mergedLength - talkDuration);
  EXPECT_DOUBLE_EQ(mergedNode->Item()->mergedClipLength,
                   merged.mergedClipLength - 200);  // the part's own trim
}

TEST(ListSnapshot, AThousandItemsComeBackInOrderWithTheirNames) {
  List original;
  const ProfileSetting mp4 = Profile(11, "MP4 Video", ".mp4");
  for (int i = 0; i < 1000; ++i) {
    // Every fifth source has the same name in another folder, so names had to be made unique.
    original.Add(QStringLiteral("/media/%1/clip%2.mkv").arg(i).arg(i % 5 == 0 ? 0 : i), 60 + i, mp4);
  }
  // The copy is what the window's thread pays; the text is made on the writer's thread.
  QElapsedTimer timer;
  timer.start();
  const std::vector<SnapshotNode> captured = CaptureList(original.tree);
  const qint64 captureUs = timer.nsecsElapsed() / 1000;
  timer.restart();
  const QByteArray bytes = EncodeListSnapshot(captured);
  const qint64 encodeMs = timer.elapsed();
  std::vector<SnapshotNode> nodes;
  QString error;
  timer.restart();
  ASSERT_TRUE(DecodeListSnapshot(bytes, nodes, error)) << error.toStdString();
  const qint64 decodeMs = timer.elapsed();
  List restored;
  RestoreListSnapshot(std::move(nodes), restored.list, [](const QString&) { return true; });
  EXPECT_EQ(list_dump::DescribeList(restored.tree), list_dump::DescribeList(original.tree));
  // Reported, not judged: the machine may be busy.
  std::printf("1000 items: %lld bytes, copied in %lld us, encoded in %lld ms, decoded in %lld ms\n",
              static_cast<long long>(bytes.size()), static_cast<long long>(captureUs),
              static_cast<long long>(encodeMs), static_cast<long long>(decodeMs));
}

TEST(ListSnapshot, TextPicturesOfTheKilledSessionTakeTheNewSessionsNames) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.path() + "/TextImage";
  ASSERT_TRUE(QDir().mkpath(folder));
  auto write = [](const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };
  // The killed session drew two pictures, 0 and 1; two items share picture 1.
  write(folder + "/TxtImg0.bmp", "picture zero");
  write(folder + "/TxtImg1.bmp", "picture one");
  auto textItem = [&](const QString& picture) {
    SnapshotNode node;
    node.item = std::make_unique<MuiItemInfo>();
    WatermarkInfo& w = node.item->watermark;
    w.enabled = true;
    w.type = 1;
    w.textImage = picture.toStdU16String();
    w.markFile = picture.toStdString();
    node.item->input.mark.markFile = w.markFile.c_str();
    return node;
  };
  std::vector<SnapshotNode> nodes;
  nodes.push_back(textItem(folder + "/TxtImg1.bmp"));
  nodes.push_back(textItem(folder + "/TxtImg0.bmp"));
  nodes.push_back(textItem(folder + "/TxtImg1.bmp"));
  nodes.push_back(textItem("/elsewhere/logo.bmp"));  // not ours: left alone
  // The new session has drawn nothing yet: its next names start again at 0.
  int next = 0;
  AdoptTextPictures(nodes, folder, [&] { return folder + QStringLiteral("/TxtImg%1.bmp").arg(next++); });
  auto content = [](const MuiItemInfo& item) {
    QFile file(QString::fromStdString(item.watermark.markFile));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  };
  EXPECT_EQ(content(*nodes[0].item), "picture one");
  EXPECT_EQ(content(*nodes[1].item), "picture zero");
  EXPECT_EQ(nodes[2].item->watermark.markFile, nodes[0].item->watermark.markFile);
  EXPECT_EQ(nodes[3].item->watermark.markFile, "/elsewhere/logo.bmp");
  for (const SnapshotNode& node : nodes) {
    EXPECT_EQ(node.item->input.mark.markFile, node.item->watermark.markFile.c_str());
    EXPECT_EQ(QString::fromStdU16String(node.item->watermark.textImage).toStdString(),
              node.item->watermark.markFile);
  }
  // The pictures the new session draws next take names no restored item uses.
  const QString nextDrawn = folder + QStringLiteral("/TxtImg%1.bmp").arg(next);
  for (const SnapshotNode& node : nodes) {
    EXPECT_NE(QString::fromStdString(node.item->watermark.markFile), nextDrawn);
  }
}

// --- Damaged files ---------------------------------------------------------------------------------

QJsonObject ValidDocument() {
  List l;
  BuildEditedList(l);
  return QJsonDocument::fromJson(EncodeListSnapshot(l.tree)).object();
}

// Changes a field of the first item's record by a path of keys.
using Mutation = std::function<void(QJsonObject& document)>;
Mutation SetInFirstItem(std::vector<const char*> path, QJsonValue value) {
  return [path, value](QJsonObject& doc) {
    QJsonArray items = doc["items"].toArray();
    std::function<QJsonObject(QJsonObject, size_t)> set = [&](QJsonObject o, size_t depth) {
      if (depth + 1 == path.size()) {
        o[path[depth]] = value;
      } else {
        o[path[depth]] = set(o[path[depth]].toObject(), depth + 1);
      }
      return o;
    };
    items[0] = set(items[0].toObject(), 0);
    doc["items"] = items;
  };
}

struct DamageCase {
  const char* name;
  std::function<QByteArray()> bytes;
};

QByteArray Mutated(const Mutation& change) {
  QJsonObject doc = ValidDocument();
  change(doc);
  return QJsonDocument(doc).toJson(QJsonDocument::Compact);
}

class DamagedSnapshot : public ::testing::TestWithParam<DamageCase> {};

// The cases change one thing each in a document that is read without complaint.
TEST(DamagedSnapshotControl, TheUndamagedDocumentIsRead) {
  std::vector<SnapshotNode> nodes;
  QString error;
  EXPECT_TRUE(DecodeListSnapshot(Mutated([](QJsonObject&) {}), nodes, error)) << error.toStdString();
  EXPECT_EQ(nodes.size(), 4u);
  EXPECT_TRUE(DecodeListSnapshot(Mutated(SetInFirstItem({"input", "effects", "volume"}, 512)), nodes, error));
}

TEST_P(DamagedSnapshot, IsRefusedWithAReason) {
  std::vector<SnapshotNode> nodes;
  QString error;
  EXPECT_FALSE(DecodeListSnapshot(GetParam().bytes(), nodes, error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(nodes.empty());
}

const QString kLongPath = "/" + QString(600, u'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSnapshot,
    ::testing::Values(
        DamageCase{"Empty", [] { return QByteArray(); }},
        DamageCase{"CutShort",
                   [] {
                     const QByteArray whole = QJsonDocument(ValidDocument()).toJson(QJsonDocument::Compact);
                     return whole.left(whole.size() / 2);
                   }},
        DamageCase{"NotJson", [] { return QByteArray("\x00\x01garbage\xff", 11); }},
        DamageCase{"AnArray", [] { return QByteArray("[1,2,3]"); }},
        DamageCase{"OtherFormat",
                   [] { return Mutated([](QJsonObject& d) { d["format"] = "something else"; }); }},
        DamageCase{"NewerVersion", [] { return Mutated([](QJsonObject& d) { d["version"] = 2; }); }},
        DamageCase{"VersionNotANumber", [] { return Mutated([](QJsonObject& d) { d["version"] = "1"; }); }},
        DamageCase{"ItemsMissing", [] { return Mutated([](QJsonObject& d) { d.remove("items"); }); }},
        DamageCase{"ItemNotARecord",
                   [] { return Mutated([](QJsonObject& d) { d["items"] = QJsonArray{7}; }); }},
        DamageCase{"VolumeOutOfRange",
                   [] {
                     return Mutated(SetInFirstItem({"input", "effects", "volume"}, 513));
                   }},
        DamageCase{"BrightnessOutOfRange",
                   [] {
                     return Mutated(SetInFirstItem({"input", "effects", "brightness"}, -1e300));
                   }},
        DamageCase{"NegativeClipStart",
                   [] {
                     return Mutated(SetInFirstItem({"input", "clipStart"}, -1));
                   }},
        DamageCase{"FractionalId",
                   [] {
                     return Mutated(SetInFirstItem({"input", "audioId"}, 1.5));
                   }},
        DamageCase{"IdBeyond32Bits",
                   [] {
                     return Mutated(SetInFirstItem({"input", "videoId"}, 4294967296.0));
                   }},
        DamageCase{"NumberAsText",
                   [] {
                     return Mutated(SetInFirstItem({"input", "zoomMode"}, "2"));
                   }},
        DamageCase{"ZoomModeUnknown",
                   [] {
                     return Mutated(SetInFirstItem({"input", "zoomMode"}, 4));
                   }},
        DamageCase{"PathTooLongForItsField",
                   [] {
                     return Mutated(SetInFirstItem({"input", "path"}, kLongPath));
                   }},
        DamageCase{"CodecTooLongForItsField",
                   [] {
                     return Mutated(SetInFirstItem({"input", "media", "videoCodec"}, QString(36, u'c')));
                   }},
        DamageCase{"TooManyAudioStreams",
                   [] {
                     QJsonArray streams;
                     for (int i = 0; i < 9; ++i) {
                       streams.append(QJsonObject{
                           {"id", i}, {"sampleRate", 1}, {"channels", ""}, {"codec", ""}, {"tag", ""}});
                     }
                     return Mutated(SetInFirstItem({"input", "media", "audioStreams"}, streams));
                   }},
        DamageCase{"AudioIndexBeyondTracks", [] { return Mutated(SetInFirstItem({"audioIndex"}, 2)); }},
        DamageCase{"ProfileIndexBeyondTable", [] { return Mutated(SetInFirstItem({"profile"}, 99)); }},
        DamageCase{"UnknownKind", [] { return Mutated(SetInFirstItem({"kind"}, 3)); }},
        DamageCase{"UnknownCheckState", [] { return Mutated(SetInFirstItem({"checkState"}, 6)); }},
        DamageCase{"PartAtTopLevel", [] { return Mutated(SetInFirstItem({"kind"}, 2)); }},
        DamageCase{"SingleItemWithParts", [] { return Mutated(SetInFirstItem({"parts"}, QJsonArray{})); }},
        DamageCase{"MergedItemWithoutParts",
                   [] {
                     return Mutated([](QJsonObject& d) {
                       QJsonArray items = d["items"].toArray();
                       QJsonObject merged = items[3].toObject();
                       merged["parts"] = QJsonArray{};
                       items[3] = merged;
                       d["items"] = items;
                     });
                   }},
        DamageCase{"TrackChoiceDamaged",
                   [] { return Mutated(SetInFirstItem({"subtitles"}, QJsonArray{QJsonArray{1}})); }},
        DamageCase{"FieldMissing",
                   [] {
                     return Mutated([](QJsonObject& d) {
                       QJsonArray items = d["items"].toArray();
                       QJsonObject item = items[0].toObject();
                       item.remove("outputName");
                       items[0] = item;
                       d["items"] = items;
                     });
                   }}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// Random damage of every kind the disk could do: whatever the reader accepts must make a list the
// list's own rules could have made, and nothing may crash (the sanitizer build checks the rest).
TEST(ListSnapshot, RandomDamageNeverCrashesAndWhatIsAcceptedIsAWellFormedList) {
  const QByteArray valid = QJsonDocument(ValidDocument()).toJson(QJsonDocument::Compact);
  QRandomGenerator random(20261211);
  for (int round = 0; round < 3000; ++round) {
    QByteArray bytes = valid;
    const int edits = 1 + static_cast<int>(random.bounded(4));
    for (int e = 0; e < edits; ++e) {
      const int at = static_cast<int>(random.bounded(static_cast<quint32>(bytes.size())));
      switch (random.bounded(4)) {
        case 0:
          bytes[at] = static_cast<char>(random.bounded(256));
          break;
        case 1:
          bytes.remove(at, static_cast<int>(random.bounded(40)));
          break;
        case 2:
          bytes.insert(at, "9999999999");
          break;
        default:
          bytes.truncate(at);
          break;
      }
      if (bytes.isEmpty()) {
        break;
      }
    }
    std::vector<SnapshotNode> nodes;
    QString error;
    if (!DecodeListSnapshot(bytes, nodes, error)) {
      EXPECT_FALSE(error.isEmpty());
      continue;
    }
    List restored;
    RestoreListSnapshot(std::move(nodes), restored.list, [](const QString&) { return true; });
    for (int i = 0; i < restored.tree.TopLevelCount(); ++i) {
      const TaskNode* node = restored.tree.Root()->ChildAt(i);
      const MuiItemInfo& item = *node->Item();
      ASSERT_NE(item.itemKind(), kMergePart);
      ASSERT_EQ(node->ChildCount() > 0, item.itemKind() == kMergedItem);
      ASSERT_LE(item.input.media.audioCount, kMaxAudioStreams);
      ASSERT_LE(item.input.media.subtitleCount, kMaxSubtitleStreams);
      ASSERT_LT(item.audioIndex, static_cast<int>(item.audioTracks.size()));
      ASSERT_LT(item.subtitleIndex, static_cast<int>(item.subtitles.size()));
      ASSERT_TRUE(item.input.mark.markFile == nullptr ||
                  item.input.mark.markFile == item.watermark.markFile.c_str());
    }
  }
}

// --- The file ----------------------------------------------------------------------------------------

TEST(SnapshotWriter, WritesTheNewestBytesWholeAndRemovesTheFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.path() + "/task_list.json";
  {
    SnapshotWriter writer(path);
    for (int i = 0; i < 50; ++i) {
      writer.Submit(QByteArray(1000 + i, static_cast<char>('a' + i % 26)));
    }
    writer.Flush();
    EXPECT_TRUE(writer.Idle());
    EXPECT_TRUE(writer.lastError().isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(1049, 'a' + 49 % 26));
    file.close();
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"task_list.json"});
    writer.Remove();
    EXPECT_FALSE(QFile::exists(path));
    // What waits when the writer goes is written, not lost.
    writer.Submit("last");
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "last");
}

TEST(SnapshotWriter, AFailedWriteLeavesTheOldFileAndSaysWhy) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/task_list.json";
  QString error;
  ASSERT_TRUE(WriteFileAtomically(path, "old", error));
  // A folder that cannot be written into (root ignores permissions, so the folder is missing instead).
  EXPECT_FALSE(WriteFileAtomically(dir.path() + "/gone/task_list.json", "new", error));
  EXPECT_FALSE(error.isEmpty());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "old");
}

}  // namespace
