#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "components/i_render_surface.h"
#include "plug/plug_table.h"
#include "tests/convert_engine/engine_harness.h"
#include "tests/convert_engine/fixtures.h"
#include "tests/fakes/temp_folder.h"
#include "tests/preview_engine/preview_harness.h"

namespace {

using namespace preview_harness;
using media_maker::Rgb;
using output_probe::Distance;
using output_probe::Mean;
using output_probe::MeanColour;
using output_probe::MeanOf;
using output_probe::Picture;
using output_probe::Rect;

// Opens the preview paused and returns the first main-view picture it delivers.
class View : public testing::Test {
 protected:
  Picture FirstView(const CIInput& input, ViewPlan plan = {}) {
    const PreviewOpen record = OpenRecord(input, &sink_, plan);
    if (!preview_->Open(&record) || !sink_.WaitFor(Kind::kView, 1)) {
      return {};
    }
    const std::vector<uint8_t> bytes = sink_.Last(Kind::kView);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(plan.viewWidth) * plan.viewHeight * 3)
        << "a view picture is the view's size";
    return ToPicture(bytes, plan.viewWidth, plan.viewHeight);
  }

  // The next view picture after the ones counted so far.
  Picture NextView(int width = 320, int height = 240) {
    const int seen = sink_.Count(Kind::kView);
    return sink_.WaitFor(Kind::kView, seen + 1) ? ToPicture(sink_.Last(Kind::kView), width, height)
                                                : Picture{};
  }

  RecordingSink sink_;
  PreviewPtr preview_ = NewPreview();
};

// ---- Crop ------------------------------------------------------------------------------------------

struct Crop {
  const char* name;
  Rect rect;
  int shows[4];  // the source quadrant seen in each view quadrant, clockwise from the top left
};

void PrintTo(const Crop& crop, std::ostream* os) {
  *os << crop.name;
}

class CropView : public View, public testing::WithParamInterface<Crop> {};

TEST_P(CropView, ShowsOnlyTheKeptRectangle) {
  const Crop& crop = GetParam();
  CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  input.cropX = crop.rect.x;
  input.cropY = crop.rect.y;
  input.cropWidth = crop.rect.width;
  input.cropHeight = crop.rect.height;
  input.zoomMode = 0;
  const Picture view = FirstView(input);
  ASSERT_FALSE(view.rgb.empty());
  const Rect quadrants[4] = {{40, 30, 80, 60}, {200, 30, 80, 60}, {200, 150, 80, 60}, {40, 150, 80, 60}};
  for (int q = 0; q < 4; ++q) {
    EXPECT_LT(
        Distance(MeanColour(view, quadrants[q]), MeanOf(fixtures::QuadrantPlan().quadrants[crop.shows[q]])),
        20.0)
        << "view quadrant " << q;
  }
}

INSTANTIATE_TEST_SUITE_P(Crops, CropView,
                         testing::Values(Crop{"TopLeftQuadrant", {0, 0, 160, 120}, {0, 0, 0, 0}},
                                         Crop{"BottomRightQuadrant", {160, 120, 160, 120}, {2, 2, 2, 2}},
                                         Crop{"LeftHalf", {0, 0, 160, 240}, {0, 0, 3, 3}},
                                         Crop{"TopHalf", {0, 0, 320, 120}, {0, 1, 1, 0}},
                                         Crop{"Whole", {0, 0, 320, 240}, {0, 1, 2, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Zoom ------------------------------------------------------------------------------------------

struct Zoom {
  const char* name;
  int mode;
  int width;  // view
  int height;
  int barWidth;  // black bars left and right
  int barHeight;
};

void PrintTo(const Zoom& zoom, std::ostream* os) {
  *os << zoom.name;
}

class ZoomView : public View, public testing::WithParamInterface<Zoom> {};

// A square source in a 4:3 and a 16:9 view: each mode puts its bars somewhere else, as in a conversion.
TEST_P(ZoomView, FitsThePictureWithBarsWhereTheModeSays) {
  const Zoom& zoom = GetParam();
  CIInput input = engine_harness::InputFor(fixtures::Square());
  input.zoomMode = zoom.mode;
  const Picture view = FirstView(input, ViewPlan().Sized(zoom.width, zoom.height));
  ASSERT_FALSE(view.rgb.empty());
  auto isBlack = [&](Rect r) { return MeanColour(view, r).Luma() < 24; };
  auto isPicture = [&](Rect r) { return Distance(MeanColour(view, r), {}) > 60; };
  const int midX = zoom.width / 2 - 10;
  const int midY = zoom.height / 2 - 10;
  if (zoom.barWidth > 0) {
    EXPECT_TRUE(isBlack({2, midY, zoom.barWidth - 6, 20})) << "no bar on the left";
    EXPECT_TRUE(isBlack({zoom.width - zoom.barWidth + 4, midY, zoom.barWidth - 6, 20}))
        << "no bar on the right";
  }
  EXPECT_TRUE(isPicture({zoom.barWidth + 4, midY, 8, 20})) << "no picture after the left bar";
  EXPECT_TRUE(isPicture({zoom.width - zoom.barWidth - 12, midY, 8, 20})) << "no picture before the right bar";
  if (zoom.barHeight > 0) {
    EXPECT_TRUE(isBlack({midX, 2, 20, zoom.barHeight - 6})) << "no bar at the top";
    EXPECT_TRUE(isBlack({midX, zoom.height - zoom.barHeight + 4, 20, zoom.barHeight - 6}))
        << "no bar at the bottom";
  }
  EXPECT_TRUE(isPicture({midX, zoom.barHeight + 4, 20, 8})) << "no picture below the top bar";
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomView,
                         testing::Values(Zoom{"FullScreenIn4by3", 0, 320, 240, 0, 0},
                                         Zoom{"KeepOriginalIn4by3", 1, 320, 240, 40, 0},
                                         Zoom{"Wide16by9In4by3", 2, 320, 240, 0, 30},
                                         Zoom{"Standard4by3In4by3", 3, 320, 240, 0, 0},
                                         Zoom{"FullScreenIn16by9", 0, 320, 180, 0, 0},
                                         Zoom{"KeepOriginalIn16by9", 1, 320, 180, 70, 0},
                                         Zoom{"Wide16by9In16by9", 2, 320, 180, 0, 0},
                                         Zoom{"Standard4by3In16by9", 3, 320, 180, 40, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Effects ---------------------------------------------------------------------------------------

struct Effect {
  const char* name;
  double brightness;
  double contrast;
  double saturation;
  // Expected change against the unedited view: of the mean luma, of the spread between the light and
  // the dark quadrant, and of the colour's distance from grey; 1 up, -1 down, 0 unchanged, kAny not
  // looked at (a darker picture loses spread where its dark part reaches black).
  int luma;
  int spread;
  int chroma;
};

constexpr int kAny = 2;

void PrintTo(const Effect& effect, std::ostream* os) {
  *os << effect.name;
}

class EffectView : public View, public testing::WithParamInterface<Effect> {};

TEST_P(EffectView, ChangesThePictureTheWayTheScaleSays) {
  const Effect& effect = GetParam();
  const CIInput plain = engine_harness::InputFor(fixtures::MidTone());
  const Picture before = FirstView(plain);
  ASSERT_FALSE(before.rgb.empty());
  CIInput input = plain;
  input.effects.brightness = effect.brightness;
  input.effects.contrast = effect.contrast;
  input.effects.saturation = effect.saturation;
  // The same preview, edited while paused: the picture on screen is shown again with the edit.
  preview_->SetEffects(&input.effects);
  const Picture after = NextView();
  ASSERT_FALSE(after.rgb.empty());

  const Rect whole{0, 0, 320, 240};
  const Rect light{200, 150, 80, 60};
  const Rect dark{40, 150, 80, 60};
  const Rect coloured{40, 30, 80, 60};
  auto spread = [&](const Picture& p) { return MeanColour(p, light).Luma() - MeanColour(p, dark).Luma(); };
  auto compare = [](double change, int sign, const char* what) {
    if (sign == kAny) {
      return;
    }
    if (sign > 0) {
      EXPECT_GT(change, 15) << what;
    } else if (sign < 0) {
      EXPECT_LT(change, -15) << what;
    } else {
      EXPECT_NEAR(change, 0, 6) << what;
    }
  };
  compare(MeanColour(after, whole).Luma() - MeanColour(before, whole).Luma(), effect.luma, "luma");
  compare(spread(after) - spread(before), effect.spread, "contrast");
  compare(MeanColour(after, coloured).Chroma() - MeanColour(before, coloured).Chroma(), effect.chroma,
          "colour");
}

INSTANTIATE_TEST_SUITE_P(
    Effects, EffectView,
    testing::Values(Effect{"Brighter", 60, 0, 0, 1, kAny, kAny}, Effect{"Darker", -60, 0, 0, -1, kAny, kAny},
                    Effect{"MoreContrast", 0, 80, 0, kAny, 1, kAny},
                    Effect{"LessContrast", 0, -80, 0, kAny, -1, kAny}, Effect{"Grey", 0, 0, -100, 0, 0, -1},
                    Effect{"MoreColour", 0, 0, 80, 0, 0, 1}, Effect{"Unchanged", 0, 0, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Watermark -------------------------------------------------------------------------------------

struct Mark {
  const char* name;
  int pictureWidth;
  int pictureHeight;
  uint8_t alpha;
  Rect rect;  // view pixels; a zero size takes the picture's own
  int32_t transparency;
  double opacity;  // the share of the mark's colour expected inside its rectangle
};

void PrintTo(const Mark& mark, std::ostream* os) {
  *os << mark.name;
}

class MarkView : public View, public testing::WithParamInterface<Mark> {};

TEST_P(MarkView, BlendsThePictureIntoItsRectangleOnly) {
  const Mark& mark = GetParam();
  const Rgb green{0, 255, 0};
  const std::string& picture =
      engine_harness::Picture("view_mark_" + std::string(mark.name) + ".png", mark.pictureWidth,
                              mark.pictureHeight, green, mark.alpha);
  ASSERT_FALSE(picture.empty());
  CIInput input = engine_harness::InputFor(engine_harness::Fixture("grey.mkv", fixtures::GreyPlan()));
  // The record's text is the caller's: the engine keeps a copy, not the pointer.
  std::string markFile = picture;
  input.mark.markFile = markFile.c_str();
  input.mark.markLeft = mark.rect.x;
  input.mark.markTop = mark.rect.y;
  input.mark.markWidth = mark.rect.width;
  input.mark.markHeight = mark.rect.height;
  input.mark.markTransparency = mark.transparency;
  const Picture view = FirstView(input);
  markFile.assign(markFile.size(), 'x');
  ASSERT_FALSE(view.rgb.empty());
  const Rect rect{mark.rect.x, mark.rect.y, mark.rect.width > 0 ? mark.rect.width : mark.pictureWidth,
                  mark.rect.height > 0 ? mark.rect.height : mark.pictureHeight};
  const Mean grey = MeanOf(fixtures::GreyPlan().quadrants[0]);
  const Mean want{grey.r + (green.r - grey.r) * mark.opacity, grey.g + (green.g - grey.g) * mark.opacity,
                  grey.b + (green.b - grey.b) * mark.opacity};
  const Mean seen = MeanColour(view, {rect.x + 4, rect.y + 4, rect.width - 8, rect.height - 8});
  EXPECT_LT(Distance(seen, want), 20.0) << "inside " << seen.r << "," << seen.g << "," << seen.b;
  const Rect around[4] = {{rect.x, rect.y - 12, rect.width, 8},
                          {rect.x, rect.y + rect.height + 4, rect.width, 8},
                          {rect.x - 12, rect.y, 8, rect.height},
                          {rect.x + rect.width + 4, rect.y, 8, rect.height}};
  for (const Rect& r : around) {
    EXPECT_LT(Distance(MeanColour(view, r), grey), 12.0) << "outside at " << r.x << "," << r.y;
  }

  // Moved while paused, through a new block: the picture on screen shows it at once.
  WatermarkBlock moved = input.mark;
  moved.markFile = picture.c_str();
  moved.markLeft = 180;
  moved.markTop = 150;
  moved.markTransparency = 0;
  preview_->SetWatermark(&moved);
  const Picture after = NextView();
  ASSERT_FALSE(after.rgb.empty());
  EXPECT_LT(Distance(MeanColour(after, {rect.x + 4, rect.y + 4, 8, 8}), grey), 12.0)
      << "the old place is clear";
  EXPECT_GT(MeanColour(after, {184, 154, 8, 8}).g, grey.g + 40) << "the new place shows the mark";
}

INSTANTIATE_TEST_SUITE_P(
    Watermarks, MarkView,
    testing::Values(Mark{"Opaque", 64, 48, 255, {40, 40, 64, 48}, 0, 1.0},
                    Mark{"HalfTransparent", 64, 48, 255, {40, 40, 64, 48}, 50, 0.5},
                    Mark{"MostlyTransparent", 64, 48, 255, {40, 40, 64, 48}, 90, 0.1},
                    Mark{"StretchedToItsRectangle", 32, 24, 255, {40, 40, 96, 72}, 0, 1.0},
                    Mark{"OwnSize", 40, 30, 255, {40, 40, 0, 0}, 0, 1.0},
                    Mark{"PictureAlphaCounts", 64, 48, 128, {40, 40, 64, 48}, 0, 0.5}),
    [](const auto& info) { return std::string(info.param.name); });

// A text watermark is drawn again into the same file whenever its text or font changes: the engine
// reads the file again on every SetWatermark, not only when its name changes.
TEST_F(View, AWatermarkFileRewrittenInPlaceIsReadAgain) {
  const Rgb green{0, 255, 0};
  const Rgb red{255, 0, 0};
  const std::string& greenPicture =
      engine_harness::Picture("view_mark_rewritten_green.png", 64, 48, green, 255);
  const std::string& redPicture = engine_harness::Picture("view_mark_rewritten_red.png", 64, 48, red, 255);
  ASSERT_FALSE(greenPicture.empty());
  ASSERT_FALSE(redPicture.empty());
  const std::string markFile = greenPicture + ".in-place.png";
  std::filesystem::copy_file(greenPicture, markFile, std::filesystem::copy_options::overwrite_existing);
  CIInput input = engine_harness::InputFor(engine_harness::Fixture("grey.mkv", fixtures::GreyPlan()));
  input.mark.markFile = markFile.c_str();
  input.mark.markLeft = 40;
  input.mark.markTop = 40;
  input.mark.markWidth = 64;
  input.mark.markHeight = 48;
  const Picture first = FirstView(input);
  ASSERT_FALSE(first.rgb.empty());
  EXPECT_GT(MeanColour(first, {48, 48, 48, 32}).g, 200.0);

  std::filesystem::copy_file(redPicture, markFile, std::filesystem::copy_options::overwrite_existing);
  WatermarkBlock same = input.mark;
  preview_->SetWatermark(&same);
  const Picture after = NextView();
  ASSERT_FALSE(after.rgb.empty());
  const Mean seen = MeanColour(after, {48, 48, 48, 32});
  EXPECT_GT(seen.r, 200.0) << "the file's new picture is shown";
  EXPECT_LT(seen.g, 60.0);
}

// ---- Burned subtitles and deinterlacing -----------------------------------------------------------

struct Subtitle {
  const char* name;
  const std::string& (*source)();
};

void PrintTo(const Subtitle& subtitle, std::ostream* os) {
  *os << subtitle.name;
}

class SubtitleView : public testing::TestWithParam<Subtitle> {};

TEST_P(SubtitleView, IsBurnedIntoTheLowerPictureOnlyWhenChosen) {
  const CIInput plain = engine_harness::InputFor(GetParam().source());
  ASSERT_EQ(plain.media.subtitleCount, 1);
  CIInput burned = plain;
  burned.subtitleId = plain.media.subtitleStreams[0].id;
  Picture pictures[2];
  for (int i = 0; i < 2; ++i) {
    RecordingSink sink;
    PreviewPtr preview = NewPreview();
    const PreviewOpen record = OpenRecord(i == 0 ? plain : burned, &sink, ViewPlan());
    ASSERT_TRUE(preview->Open(&record));
    ASSERT_TRUE(sink.WaitFor(Kind::kView, 1));
    for (int step = 1; step <= 3; ++step) {  // a picture well inside the subtitle's time
      preview->StepFrame();
      ASSERT_TRUE(sink.WaitFor(Kind::kView, 1 + step));
    }
    pictures[i] = ToPicture(sink.Last(Kind::kView), 320, 240);
  }
  const Mean grey = MeanOf(fixtures::GreyPlan().quadrants[0]);
  EXPECT_LT(Distance(MeanColour(pictures[0], {0, 0, 320, 240}), grey), 6.0)
      << "a subtitle nobody chose shows";
  EXPECT_GT(output_probe::ChangedShare(pictures[0], pictures[1], {0, 170, 320, 70}, 40), 0.03)
      << "no subtitle at the bottom";
  EXPECT_LT(output_probe::ChangedShare(pictures[0], pictures[1], {0, 0, 320, 100}, 40), 0.01)
      << "the upper picture changed";
}

INSTANTIATE_TEST_SUITE_P(Subtitles, SubtitleView,
                         testing::Values(Subtitle{"Text", &fixtures::TextSubtitled},
                                         Subtitle{"Bitmap", &fixtures::BitmapSubtitled}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(View, DeinterlacesWhenTheItemSaysSo) {
  media_maker::ClipPlan plan;
  plan.seconds = 1.0;
  plan.interlacedBar = true;
  CIInput input = engine_harness::InputFor(engine_harness::Fixture("combed.mkv", plan));
  const Picture combed = FirstView(input);
  ASSERT_FALSE(combed.rgb.empty());
  input.effects.deinterlace = 1;
  preview_->SetEffects(&input.effects);
  preview_->Seek(0);
  const Picture clean = NextView();
  ASSERT_FALSE(clean.rgb.empty());
  EXPECT_LT(output_probe::Combing(clean), output_probe::Combing(combed) / 2);
}

// ---- What the preview shows is what the conversion writes ----------------------------------------

TEST_F(View, AgreesWithTheConversionOfTheSameItem) {
  CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  input.cropX = 40;
  input.cropY = 20;
  input.cropWidth = 240;
  input.cropHeight = 200;
  input.zoomMode = 1;
  input.effects.brightness = 20;
  input.effects.saturation = -30;
  const std::string& mark = engine_harness::Picture("parity_mark.png", 48, 32, Rgb{250, 250, 250}, 255);
  input.mark.markFile = mark.c_str();
  input.mark.markLeft = 200;
  input.mark.markTop = 20;
  input.mark.markWidth = 48;
  input.mark.markHeight = 32;
  input.mark.markTransparency = 40;

  TempFolder folder("kv-preview-parity");
  const std::string out = folder.File("parity.mkv");
  const auto converted = engine_harness::Convert(input, engine_harness::OutputPlan{}, out);
  ASSERT_TRUE(converted.succeeded) << converted.log;
  const auto written = output_probe::DecodePictures(out);
  const Picture* atOne = output_probe::PictureAt(written, 1.0);
  ASSERT_NE(atOne, nullptr);

  ASSERT_FALSE(FirstView(input).rgb.empty());
  preview_->Seek(1);
  const Picture shown = NextView();
  ASSERT_EQ(shown.rgb.size(), atOne->rgb.size());
  double difference = 0;
  for (size_t i = 0; i < shown.rgb.size(); ++i) {
    difference += std::abs(int{shown.rgb[i]} - int{atOne->rgb[i]});
  }
  difference /= static_cast<double>(shown.rgb.size());
  RecordProperty("mean_absolute_difference", std::to_string(difference));
  // The same chain at the same size: what remains is the encoder's loss on flat colours and the
  // colour conversion of a picture coded once more (a few levels), far below what any edit changes
  // (a wrong crop, zoom, effect or watermark moves the mean by tens of levels).
  EXPECT_LT(difference, 4.0);
}

// ---- The crop view and snapshots are the unedited source -----------------------------------------

TEST_F(View, CropViewShowsTheWholeUneditedSource) {
  CIInput input = engine_harness::InputFor(fixtures::Quadrants());
  input.cropX = 160;
  input.cropY = 120;
  input.cropWidth = 160;
  input.cropHeight = 120;
  input.zoomMode = 0;
  input.effects.brightness = 80;
  const PreviewOpen record = OpenRecord(input, &sink_, ViewPlan().WithCropView(160, 120));
  ASSERT_TRUE(preview_->Open(&record));
  ASSERT_TRUE(sink_.WaitFor(Kind::kCrop, 1));
  const std::vector<uint8_t> bytes = sink_.Last(Kind::kCrop);
  ASSERT_EQ(bytes.size(), 160u * 120 * 3);
  const Picture crop = ToPicture(bytes, 160, 120);
  const Rect quadrants[4] = {{20, 15, 40, 30}, {100, 15, 40, 30}, {100, 75, 40, 30}, {20, 75, 40, 30}};
  for (int q = 0; q < 4; ++q) {
    EXPECT_LT(Distance(MeanColour(crop, quadrants[q]), MeanOf(fixtures::QuadrantPlan().quadrants[q])), 20.0)
        << "crop view quadrant " << q;
  }
}

struct Snapshot {
  int sourceWidth;
  int sourceHeight;
  int width;  // as the preview wrapper rounds the source's size
  int height;
};

void PrintTo(const Snapshot& shot, std::ostream* os) {
  *os << shot.sourceWidth << "x" << shot.sourceHeight << " shown at " << shot.width << "x" << shot.height;
}

class SnapshotView : public View, public testing::WithParamInterface<Snapshot> {};

TEST_P(SnapshotView, DeliversTheUneditedPictureAtItsSizeWhilePaused) {
  const Snapshot& shot = GetParam();
  media_maker::ClipPlan plan;
  plan.width = shot.sourceWidth;
  plan.height = shot.sourceHeight;
  plan.fullChroma = true;
  plan.seconds = 1.0;
  CIInput input = engine_harness::InputFor(engine_harness::Fixture(
      "shot_" + std::to_string(shot.sourceWidth) + "x" + std::to_string(shot.sourceHeight) + ".mkv", plan));
  input.effects.brightness = 90;
  input.cropWidth = shot.sourceWidth / 2;
  input.zoomMode = 0;
  ASSERT_FALSE(FirstView(input, ViewPlan().WithSnapshot(shot.width, shot.height)).rgb.empty());
  EXPECT_EQ(sink_.Count(Kind::kSnapshot), 0);
  ASSERT_TRUE(preview_->Snapshot());
  ASSERT_TRUE(sink_.WaitFor(Kind::kSnapshot, 1, std::chrono::milliseconds(1000)));
  const std::vector<uint8_t> bytes = sink_.Last(Kind::kSnapshot);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(shot.width) * shot.height * 3);
  const Picture picture = ToPicture(bytes, shot.width, shot.height);
  const int w = shot.width;
  const int h = shot.height;
  const Rect quadrants[4] = {{w / 8, h / 8, w / 4, h / 4},
                             {w * 5 / 8, h / 8, w / 4, h / 4},
                             {w * 5 / 8, h * 5 / 8, w / 4, h / 4},
                             {w / 8, h * 5 / 8, w / 4, h / 4}};
  for (int q = 0; q < 4; ++q) {
    EXPECT_LT(Distance(MeanColour(picture, quadrants[q]), MeanOf(plan.quadrants[q])), 20.0)
        << "quadrant " << q;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SnapshotView,
                         testing::Values(Snapshot{718, 480, 720, 480}, Snapshot{716, 480, 720, 480},
                                         Snapshot{715, 481, 712, 480}),
                         [](const auto& info) {
                           return std::to_string(info.param.sourceWidth) + "x" +
                                  std::to_string(info.param.sourceHeight);
                         });

// ---- Drawing into a window ------------------------------------------------------------------------

// The program's render surfaces, as a test stand-in registered under the same name.
class RecordingSurfaces final : public I_RenderSurface {
 public:
  bool InitInstance() override { return true; }
  int32_t AddRef() override { return 1; }
  void Release() override {}
  bool Present(const char* handle, const uint8_t* bgr, int32_t width, int32_t height,
               int32_t stride) override {
    std::lock_guard lock(mutex);
    handles.push_back(handle);
    sizes.emplace_back(width, height);
    last.clear();
    for (int y = 0; y < height; ++y) {
      last.insert(last.end(), bgr + static_cast<size_t>(y) * stride,
                  bgr + static_cast<size_t>(y) * stride + width * 3);
    }
    return true;
  }

  std::mutex mutex;
  std::vector<std::string> handles;
  std::vector<std::pair<int, int>> sizes;
  std::vector<uint8_t> last;
};

RecordingSurfaces surfaces;

TEST_F(View, DrawsIntoTheSurfaceOfItsWindowHandle) {
  const AutoReg registrar(kRenderSurfaceName, [] { return static_cast<I_Plug*>(&surfaces); });
  const PreviewOpen record = OpenRecord(engine_harness::InputFor(fixtures::Quadrants()), &sink_,
                                        ViewPlan().Sized(160, 120).IntoSurface("4711"));
  ASSERT_TRUE(preview_->Open(&record));
  preview_->Play();
  ASSERT_TRUE(PollUntil(
      *preview_,
      [](int32_t, double) {
        std::lock_guard lock(surfaces.mutex);
        return surfaces.handles.size() >= 5;
      },
      5s));
  preview_->Close();
  EXPECT_EQ(sink_.Count(Kind::kView), 0) << "the window gets the pictures, not the sink";
  std::lock_guard lock(surfaces.mutex);
  for (size_t i = 0; i < surfaces.handles.size(); ++i) {
    EXPECT_EQ(surfaces.handles[i], "4711");
    EXPECT_EQ(surfaces.sizes[i], std::make_pair(160, 120));
  }
  const Picture picture = ToPicture(surfaces.last, 160, 120);
  EXPECT_LT(Distance(MeanColour(picture, {20, 15, 40, 30}), MeanOf(fixtures::QuadrantPlan().quadrants[0])),
            20.0);
}

}  // namespace
