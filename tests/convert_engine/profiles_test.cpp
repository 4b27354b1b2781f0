// Every profile of the shipped catalogue converts a short clip into the file the profile describes:
// read back, the output has the profile's container, codecs, size, frame rate, sample rate and
// channels, honours the catalogue's extra parameters, and still shows the source's picture and sound.

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <sstream>

#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/fixtures.h"
#include "tests/convert_engine/output_probe.h"
#include "tests/fakes/temp_folder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

using engine_harness::OutputPlan;

struct CatalogueProfile {
  int id = 0;
  std::string name;
  std::string extension;
  OutputPlan output;
};

void PrintTo(const CatalogueProfile& profile, std::ostream* os) {
  *os << profile.id << " \"" << profile.name << "\" (" << profile.output.format << ", "
      << profile.output.videoCodec << " " << profile.output.width << "x" << profile.output.height << ", "
      << profile.output.audioCodec << " " << profile.output.sampleRate << " Hz " << profile.output.channels
      << " ch, \"" << profile.output.extra << "\")";
}

std::string SourceDir() {
  const char* source = std::getenv("KV_SOURCE_DIR");
  return source != nullptr ? source : KV_TEST_SOURCE_DIR;
}

int ToInt(const std::string& text) {
  return text.empty() ? 0 : std::atoi(text.c_str());
}

std::vector<CatalogueProfile> ShippedProfiles() {
  std::vector<CatalogueProfile> profiles;
  pugi::xml_document document;
  if (!document.load_file((SourceDir() + "/data/Profile/Profile.xml").c_str())) {
    return profiles;
  }
  for (const pugi::xml_node record : document.child("options").children("record")) {
    if (std::string(record.attribute("name").value()) != "Profile") {
      continue;
    }
    std::map<std::string, std::string> values;
    for (const pugi::xml_node value : record.children("value")) {
      values[value.attribute("key").value()] = value.attribute("text").value();
    }
    CatalogueProfile profile;
    profile.id = ToInt(values["ProfileId"]);
    profile.name = values["ProfileName"];
    profile.extension = values["FormatExt"];
    OutputPlan& out = profile.output;
    out.format = values["FormatName"];
    out.audioOnly = ToInt(values["AudioFormat"]);
    out.videoCodec = values["VideoCodecName"];
    out.width = ToInt(values["Width"]);
    out.height = ToInt(values["Height"]);
    out.frameRate = ToInt(values["FrameRate"]);
    out.videoBitRate = ToInt(values["VideoBitRate"]);
    out.audioCodec = values["AudioCodecName"];
    out.sampleRate = ToInt(values["SampleRate"]);
    out.channels = ToInt(values["Channel"]);
    out.audioBitRate = ToInt(values["AudioBitRate"]);
    out.extra = values["ExtraParam"];
    profiles.push_back(std::move(profile));
  }
  return profiles;
}

std::string TestName(const testing::TestParamInfo<CatalogueProfile>& info) {
  std::string name = "P" + std::to_string(info.param.id) + "_";
  for (const char c : info.param.name) {
    name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
  }
  return name;
}

// What FFmpeg's demuxer calls a file written by each muxer of the catalogue.
std::string DemuxerOf(const std::string& muxer) {
  static const std::map<std::string, std::string> names = {{"mp4", "mov,mp4,m4a,3gp,3g2,mj2"},
                                                           {"mov", "mov,mp4,m4a,3gp,3g2,mj2"},
                                                           {"ipod", "mov,mp4,m4a,3gp,3g2,mj2"},
                                                           {"3gp", "mov,mp4,m4a,3gp,3g2,mj2"},
                                                           {"matroska", "matroska,webm"},
                                                           {"webm", "matroska,webm"},
                                                           {"avi", "avi"},
                                                           {"mpeg", "mpeg"},
                                                           {"dvd", "mpeg"},
                                                           {"mpegts", "mpegts"},
                                                           {"asf", "asf"},
                                                           {"flv", "flv"},
                                                           {"mp3", "mp3"},
                                                           {"mp2", "mp3"},
                                                           {"adts", "aac"},
                                                           {"ac3", "ac3"},
                                                           {"wav", "wav"},
                                                           {"flac", "flac"},
                                                           {"ogg", "ogg"},
                                                           {"opus", "ogg"}};
  const auto found = names.find(muxer);
  return found != names.end() ? found->second : "(unknown muxer " + muxer + ")";
}

// The ISO brand each ISO muxer writes, or empty where there is none to check.
std::string BrandOf(const std::string& muxer, bool audioOnly) {
  if (muxer == "mp4") {
    return "isom";
  }
  if (muxer == "mov") {
    return "qt  ";
  }
  if (muxer == "ipod") {
    return audioOnly ? "M4A " : "M4V ";
  }
  if (muxer == "3gp") {
    return "3gp";  // a prefix: 3gp4, 3gp5 or 3gp6 by content
  }
  return {};
}

// The codec FFmpeg reports for a file made by an encoder of the catalogue.
std::string CodecOf(const std::string& encoder) {
  if (encoder == "libfaac") {
    return "aac";
  }
  const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
  return codec != nullptr ? avcodec_get_name(codec->id) : "(no encoder " + encoder + ")";
}

std::map<std::string, std::string> ExtraParams(const std::string& extra) {
  std::map<std::string, std::string> params;
  std::stringstream pairs(extra);
  std::string pair;
  while (std::getline(pairs, pair, ';')) {
    const size_t equals = pair.find('=');
    if (equals != std::string::npos) {
      params[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
  }
  return params;
}

std::string Head(const std::string& path, size_t bytes) {
  std::ifstream file(path, std::ios::binary);
  std::string head(bytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(bytes));
  head.resize(static_cast<size_t>(file.gcount()));
  return head;
}

std::string WholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The longest run of video packets between two key frames.
int LongestGop(const std::string& path) {
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) {
    return -1;
  }
  int longest = 0;
  if (avformat_find_stream_info(input, nullptr) >= 0) {
    const int video = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket* packet = av_packet_alloc();
    int run = 0;
    while (av_read_frame(input, packet) >= 0) {
      if (packet->stream_index == video) {
        run = (packet->flags & AV_PKT_FLAG_KEY) != 0 ? 1 : run + 1;
        longest = std::max(longest, run);
      }
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&input);
  return longest;
}

class ShippedProfile : public testing::TestWithParam<CatalogueProfile> {};

TEST(ShippedCatalogue, HoldsTheProfilesTheTableBelowConverts) {
  EXPECT_EQ(ShippedProfiles().size(), 55u);
}

TEST_P(ShippedProfile, ConvertsAClipIntoTheFileItDescribes) {
  const CatalogueProfile& profile = GetParam();
  const OutputPlan& want = profile.output;
  const auto source = fixtures::ProfileSourcePlan();
  const std::string& sourcePath = fixtures::ProfileSource();
  ASSERT_FALSE(sourcePath.empty());

  TempFolder target("kv-profile");
  const std::string outputPath = target.File("out" + profile.extension);
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(sourcePath);
  const CIOutput output = engine_harness::OutputFor(outputPath, want);
  engine->AddJob(&output, &input);
  const auto outcome = engine_harness::RunToEnd(*engine, 1, std::chrono::seconds(300));
  ASSERT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.status, kConvertFinished) << sink.Log();
  ASSERT_EQ(outcome.results[0] != 0, true) << sink.Log();

  const auto facts = output_probe::Probe(outputPath);
  ASSERT_TRUE(facts.opened) << outputPath;
  EXPECT_EQ(facts.format, DemuxerOf(want.format));
  const std::string brand = BrandOf(want.format, want.audioOnly != 0);
  if (!brand.empty()) {
    EXPECT_EQ(facts.majorBrand.substr(0, brand.size()), brand);
  }
  if (want.format == "webm" || want.format == "matroska") {
    // The document type sits in the EBML header; both demux alike otherwise.
    EXPECT_NE(Head(outputPath, 64).find(want.format), std::string::npos) << "document type " << want.format;
  }
  EXPECT_NEAR(facts.duration, source.seconds, 0.25);

  EXPECT_EQ(facts.audioStreams, 1);
  EXPECT_EQ(facts.audio.codec, CodecOf(want.audioCodec));
  EXPECT_EQ(facts.audio.sampleRate, want.sampleRate);
  EXPECT_EQ(facts.audio.channels, want.channels);
  const auto sound = output_probe::DecodeSound(outputPath);
  EXPECT_GT(output_probe::Rms(sound, 0.2, 0.8), 0.05) << "the tone is gone";

  if (want.audioOnly != 0) {
    EXPECT_EQ(facts.videoStreams, 0);
    return;
  }
  ASSERT_EQ(facts.videoStreams, 1);
  const auto& video = facts.video;
  EXPECT_EQ(video.codec, CodecOf(want.videoCodec));
  EXPECT_EQ(video.width, want.width > 0 ? want.width : source.width);
  EXPECT_EQ(video.height, want.height > 0 ? want.height : source.height);
  const double rate = want.frameRate > 0 ? want.frameRate : source.fps;
  EXPECT_NEAR(video.frameRate, rate, rate * 0.001);

  const auto params = ExtraParams(want.extra);
  if (params.count("pix_fmt") != 0) {
    EXPECT_EQ(video.pixelFormat, params.at("pix_fmt"));
  }
  if (params.count("vtag") != 0) {
    const std::string& tag = params.at("vtag");
    ASSERT_EQ(tag.size(), 4u);
    EXPECT_EQ(video.codecTag, MKTAG(tag[0], tag[1], tag[2], tag[3])) << "codec tag " << tag;
  }
  if (params.count("aspect") != 0) {
    const std::string& aspect = params.at("aspect");
    const double wanted = std::atof(aspect.c_str()) / std::atof(aspect.substr(aspect.find(':') + 1).c_str());
    ASSERT_GT(video.sarDen, 0);
    const double shown = static_cast<double>(video.width) * video.sarNum / (video.height * video.sarDen);
    EXPECT_NEAR(shown, wanted, 0.01) << "display aspect " << aspect;
  }
  if (params.count("profile") != 0) {
    std::string name = params.at("profile");
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    // x264 marks a baseline stream "Constrained Baseline".
    EXPECT_NE(video.profile.find(name), std::string::npos) << video.profile;
  }
  if (params.count("level") != 0) {
    EXPECT_EQ(video.level, std::lround(std::atof(params.at("level").c_str()) * 10));
  }
  if (params.count("g") != 0) {
    EXPECT_LE(LongestGop(outputPath), std::atoi(params.at("g").c_str()));
  }
  if (params.count("movflags") != 0 && params.at("movflags") == "+faststart") {
    const std::string bytes = WholeFile(outputPath);
    const size_t moov = bytes.find("moov");
    const size_t mdat = bytes.find("mdat");
    ASSERT_NE(moov, std::string::npos);
    ASSERT_NE(mdat, std::string::npos);
    EXPECT_LT(moov, mdat) << "the index is not at the front";
  }

  // The picture is the source's, scaled: its top-left quadrant is still the source's colour.
  const auto pictures = output_probe::DecodePictures(outputPath, 3);
  ASSERT_FALSE(pictures.empty());
  const auto& picture = pictures.back();
  const auto mean = output_probe::MeanColour(
      picture, {picture.width / 8, picture.height / 8, picture.width / 4, picture.height / 4});
  const auto& topLeft = source.quadrants[0];
  EXPECT_LT(output_probe::Distance(mean, output_probe::MeanOf(topLeft)), 30.0)
      << "mean colour " << mean.r << "," << mean.g << "," << mean.b;
}

// ---- Size and rate kept or changed ------------------------------------------------------------------

struct Shape {
  const char* name;
  int width;  // output record
  int height;
  int frameRate;
  int wantWidth;  // what the file holds
  int wantHeight;
  int wantRate;
};

void PrintTo(const Shape& shape, std::ostream* os) {
  *os << shape.name << " (" << shape.width << "x" << shape.height << " at " << shape.frameRate << " fps)";
}

class OutputShape : public testing::TestWithParam<Shape> {};

TEST_P(OutputShape, KeepsTheSourceWhereTheRecordSaysZeroAndChangesItOtherwise) {
  const Shape& shape = GetParam();
  ASSERT_FALSE(fixtures::ProfileSource().empty());
  TempFolder target("kv-shape");
  const std::string out = target.File("shape.mkv");
  OutputPlan plan;
  plan.width = shape.width;
  plan.height = shape.height;
  plan.frameRate = shape.frameRate;
  const auto converted =
      engine_harness::Convert(engine_harness::InputFor(fixtures::ProfileSource()), plan, out);
  ASSERT_TRUE(converted.succeeded) << converted.log;

  const auto facts = output_probe::Probe(out);
  EXPECT_EQ(facts.video.width, shape.wantWidth);
  EXPECT_EQ(facts.video.height, shape.wantHeight);
  EXPECT_NEAR(facts.video.frameRate, shape.wantRate, 0.01);
  // Another rate drops or repeats frames; the length stays.
  const auto pictures = output_probe::DecodePictures(out, 1000);
  const double seconds = fixtures::ProfileSourcePlan().seconds;
  EXPECT_NEAR(static_cast<double>(pictures.size()), seconds * shape.wantRate, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Shapes, OutputShape,
                         testing::Values(Shape{"ZeroSizeKeepsTheSource", 0, 0, -1, 320, 240, 25},
                                         Shape{"ZeroRateKeepsTheSource", 640, 480, 0, 640, 480, 25},
                                         Shape{"LowerRate", 320, 240, 15, 320, 240, 15},
                                         Shape{"HigherRate", 160, 120, 30, 160, 120, 30}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Values an encoder cannot take -----------------------------------------------------------------

struct Unsupported {
  const char* name;
  OutputPlan output;
  const char* extension;
  // What the output holds instead: the nearest value the encoder takes.
  int sampleRate;  // 0 = not checked
  int width;       // 0 = not checked
  int height;
};

void PrintTo(const Unsupported& u, std::ostream* os) {
  *os << u.name << " (" << u.output.videoCodec << " " << u.output.width << "x" << u.output.height << ", "
      << u.output.audioCodec << " " << u.output.sampleRate << " Hz)";
}

OutputPlan AudioOnly(const char* format, const char* codec, int sampleRate, int bitRate) {
  OutputPlan plan;
  plan.format = format;
  plan.audioOnly = 1;
  plan.videoCodec.clear();
  plan.width = plan.height = plan.frameRate = plan.videoBitRate = 0;
  plan.audioCodec = codec;
  plan.sampleRate = sampleRate;
  plan.audioBitRate = bitRate;
  plan.extra.clear();
  return plan;
}

OutputPlan H263(int width, int height) {
  OutputPlan plan;
  plan.format = "3gp";
  plan.videoCodec = "h263";
  plan.width = width;
  plan.height = height;
  plan.frameRate = 15;
  plan.videoBitRate = 256000;
  plan.sampleRate = 22050;
  plan.channels = 1;
  plan.audioBitRate = 48000;
  plan.extra.clear();
  return plan;
}

class UnsupportedValue : public testing::TestWithParam<Unsupported> {};

TEST_P(UnsupportedValue, BecomesTheNearestTheEncoderTakesAndTheLogSaysSo) {
  const Unsupported& u = GetParam();
  ASSERT_FALSE(fixtures::ProfileSource().empty());
  TempFolder target("kv-nearest");
  const std::string out = target.File(std::string("out") + u.extension);
  engine_harness::RecordingSink sink;
  auto engine = engine_harness::NewConfiguredEngine(&sink);
  ASSERT_TRUE(engine);
  const CIInput input = engine_harness::InputFor(fixtures::ProfileSource());
  const CIOutput output = engine_harness::OutputFor(out, u.output);
  engine->AddJob(&output, &input);
  const auto outcome = engine_harness::RunToEnd(*engine, 1);
  ASSERT_EQ(outcome.results, std::vector<int32_t>{1}) << sink.Log();

  const auto facts = output_probe::Probe(out);
  std::string chosen;
  if (u.sampleRate > 0) {
    EXPECT_EQ(facts.audio.sampleRate, u.sampleRate);
    chosen = std::to_string(u.sampleRate);
  }
  if (u.width > 0) {
    EXPECT_EQ(facts.video.width, u.width);
    EXPECT_EQ(facts.video.height, u.height);
    chosen = std::to_string(u.width);
  }
  EXPECT_NE(sink.Log().find(chosen), std::string::npos) << "the log does not name " << chosen << ":\n"
                                                        << sink.Log();
}

INSTANTIATE_TEST_SUITE_P(
    NearestValues, UnsupportedValue,
    testing::Values(
        Unsupported{"OpusAt44100", AudioOnly("opus", "libopus", 44100, 128000), ".opus", 48000, 0, 0},
        Unsupported{"Ac3At22050", AudioOnly("ac3", "ac3", 22050, 192000), ".ac3", 32000, 0, 0},
        Unsupported{"Mp3At96000", AudioOnly("mp3", "libmp3lame", 96000, 128000), ".mp3", 48000, 0, 0},
        Unsupported{"H263At320x240", H263(320, 240), ".3gp", 0, 352, 288}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Catalogue, ShippedProfile, testing::ValuesIn(ShippedProfiles()), TestName);

}  // namespace
