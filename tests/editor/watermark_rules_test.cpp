#include <gtest/gtest.h>

#include <QString>
#include <ostream>
#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "tests/editor/edit_rules_test_support.h"

namespace {

constexpr int kBoxWidth = 320;
constexpr int kBoxHeight = 180;
const QString kTextImage = QStringLiteral("/tmp/TextImage/TxtImg3.bmp");

// ---- Font text --------------------------------------------------------------------------------

TEST(WatermarkFontTextForm, RoundTripsDescriptionAndColour) {
  const std::vector<WatermarkFont> fonts = {
      {QStringLiteral("Noto Sans,20,-1,5,700,0,0,0,0,0,0,0,0,0,0,1,Bold"), 0xFFFFFF},
      {QStringLiteral("DejaVu Serif,11,-1,5,400,1,0,0,0,0,0,0,0,0,0,1"), 0x000000},
      {QStringLiteral("Odd|Family,12,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"), 0x12AB34},  // a bar in the name
      {QStringLiteral("Schrift \u00C4\u00DF \u6587\u5B57,14,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"), 0xC0FFEE},
  };
  for (const WatermarkFont& font : fonts) {
    WatermarkFont read{QStringLiteral("unchanged"), 0x1};
    ASSERT_TRUE(ParseWatermarkFont(WatermarkFontText(font), read)) << font.description.toStdString();
    EXPECT_EQ(read.description, font.description);
    EXPECT_EQ(read.colour, font.colour);
  }
}

TEST(WatermarkFontTextForm, KeepsOnlyTheColourBits) {
  WatermarkFont read;
  ASSERT_TRUE(ParseWatermarkFont(WatermarkFontText({QStringLiteral("Sans,10"), 0xFF123456}), read));
  EXPECT_EQ(read.colour, 0x123456u);
  ASSERT_TRUE(ParseWatermarkFont("Sans,10|#ABCDEF", read));  // either case of hex digits
  EXPECT_EQ(read.colour, 0xABCDEFu);
}

TEST(WatermarkFontTextForm, RefusesEmptyOrDamagedTextLeavingTheFont) {
  for (const char* text : {"", "Sans,10", "Sans,10|", "Sans,10|#12345", "Sans,10|#1234567", "Sans,10|#12345g",
                           "Sans,10|ffffff", "|#ffffff", "Sans,10|#ff ffff"}) {
    WatermarkFont font{QStringLiteral("Kept,9"), 0x010203};
    EXPECT_FALSE(ParseWatermarkFont(text, font)) << '"' << text << '"';
    EXPECT_EQ(font.description, QStringLiteral("Kept,9"));
    EXPECT_EQ(font.colour, 0x010203u);
  }
}

// ---- Choosing what the mark is made of --------------------------------------------------------

// Records each render and answers as told.
struct FakeRenderer {
  bool succeeds = true;
  struct Call {
    QString text;
    QString path;
    QString font;
  };
  std::vector<Call> calls;

  RenderTextFn Fn() {
    return [this](const QString& text, const QString& path, const WatermarkFont& font) {
      calls.push_back({text, path, font.description});
      return succeeds;
    };
  }
};

SingleTaskView ItemWithMarkSize() {
  SingleTaskView view;
  view.input = LoadedInput(60, 640, 480);
  view.input.mark.markWidth = 40;
  view.input.mark.markHeight = 30;
  return view;
}

TEST(WatermarkType, ChoosingTakesThePictureSizeAgain) {
  for (int32_t type : {1, 2}) {
    SingleTaskView view = ItemWithMarkSize();
    ChooseWatermarkType(view, type);
    EXPECT_EQ(view.watermark.type, type);
    EXPECT_EQ(view.input.mark.markWidth, 0);
    EXPECT_EQ(view.input.mark.markHeight, 0);
  }
  SingleTaskView view = ItemWithMarkSize();
  ChooseWatermarkType(view, 3);  // no such kind
  EXPECT_EQ(view.watermark.type, 0);
  EXPECT_EQ(view.input.mark.markWidth, 40);
}

TEST(WatermarkText, StoresTrimmedAndRendersOnlyNewNonEmptyText) {
  struct Step {
    const char* typed;
    bool renders;  // a render is asked for, and it succeeds
    const char* stored;
  };
  const std::vector<Step> steps = {
      {"  Hello  ", true, "Hello"},         {"Hello ", false, "Hello"},  // the same once trimmed
      {"Hello world", true, "Hello world"}, {"   ", false, ""},
      {"Hello world", true, "Hello world"},  // differs from the empty text stored before
  };
  SingleTaskView view = ItemWithMarkSize();
  FakeRenderer renderer;
  const WatermarkFont font{QStringLiteral("Sans,20"), 0xFFFFFF};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.typed);
    view.input.mark.markWidth = 40;
    view.input.mark.markHeight = 30;
    const size_t before = renderer.calls.size();
    EXPECT_EQ(SetWatermarkText(view, QString::fromUtf8(step.typed), kTextImage, font, renderer.Fn()),
              step.renders);
    EXPECT_EQ(view.watermark.text, QString::fromUtf8(step.stored).toStdU16String());
    ASSERT_EQ(renderer.calls.size(), before + (step.renders ? 1 : 0));
    if (step.renders) {
      EXPECT_EQ(renderer.calls.back().text, QString::fromUtf8(step.stored));
      EXPECT_EQ(renderer.calls.back().path, kTextImage);
      EXPECT_EQ(renderer.calls.back().font, font.description);
      EXPECT_EQ(view.watermark.textImage, kTextImage.toStdU16String());
      EXPECT_EQ(view.input.mark.markWidth, 0);
      EXPECT_EQ(view.input.mark.markHeight, 0);
    } else {
      EXPECT_EQ(view.input.mark.markWidth, 40);
    }
  }
}

TEST(WatermarkText, FailedRenderKeepsThePreviousPicture) {
  SingleTaskView view = ItemWithMarkSize();
  view.watermark.text = u"Old";
  view.watermark.textImage = u"/tmp/TextImage/TxtImg1.bmp";
  FakeRenderer renderer;
  renderer.succeeds = false;
  EXPECT_FALSE(SetWatermarkText(view, QStringLiteral("New"), kTextImage, {}, renderer.Fn()));
  EXPECT_EQ(renderer.calls.size(), 1u);
  EXPECT_EQ(view.watermark.text, u"New");
  EXPECT_EQ(view.watermark.textImage, u"/tmp/TextImage/TxtImg1.bmp");
  EXPECT_EQ(view.input.mark.markWidth, 40);

  // Without a renderer nothing is drawn either.
  EXPECT_FALSE(SetWatermarkText(view, QStringLiteral("Newer"), kTextImage, {}, RenderTextFn{}));
  EXPECT_EQ(view.watermark.textImage, u"/tmp/TextImage/TxtImg1.bmp");
}

TEST(WatermarkFontChange, StoresTheFontAndRendersTheStoredText) {
  const WatermarkFont font{QStringLiteral("Serif,30,-1,5,700"), 0xFF0000};
  FakeRenderer renderer;

  SingleTaskView withText = ItemWithMarkSize();
  withText.watermark.text = u"Mark";
  EXPECT_TRUE(SetWatermarkFont(withText, font, kTextImage, renderer.Fn()));
  EXPECT_EQ(withText.watermark.font, WatermarkFontText(font));
  ASSERT_EQ(renderer.calls.size(), 1u);
  EXPECT_EQ(renderer.calls[0].text, QStringLiteral("Mark"));
  EXPECT_EQ(renderer.calls[0].font, font.description);
  EXPECT_EQ(withText.watermark.textImage, kTextImage.toStdU16String());
  EXPECT_EQ(withText.input.mark.markWidth, 0);

  SingleTaskView withoutText = ItemWithMarkSize();
  EXPECT_FALSE(SetWatermarkFont(withoutText, font, kTextImage, renderer.Fn()));
  EXPECT_EQ(withoutText.watermark.font, WatermarkFontText(font));
  EXPECT_EQ(renderer.calls.size(), 1u);
  EXPECT_TRUE(withoutText.watermark.textImage.empty());
}

TEST(WatermarkPicture, OnlyADifferentFileIsStored) {
  SingleTaskView view = ItemWithMarkSize();
  view.watermark.picture = u"/pics/a.png";
  struct Case {
    const char* file;
    bool stored;
    const char16_t* picture;
  };
  for (const Case& c : std::vector<Case>{{"/pics/a.png", false, u"/pics/a.png"},
                                         {"", false, u"/pics/a.png"},
                                         {"/pics/b.png", true, u"/pics/b.png"}}) {
    view.input.mark.markWidth = 40;
    EXPECT_EQ(SetWatermarkPicture(view, QString::fromUtf8(c.file)), c.stored) << c.file;
    EXPECT_EQ(view.watermark.picture, c.picture);
    EXPECT_EQ(view.input.mark.markWidth, c.stored ? 0 : 40);
  }
}

// ---- Applying ---------------------------------------------------------------------------------

// Answers a size for known pictures and records what it was asked.
struct FakeImages {
  std::vector<std::string> asked;
  ImageSizeFn Fn() {
    return [this](const std::string& path, int32_t& width, int32_t& height) {
      asked.push_back(path);
      if (path == "/pics/logo.png" || path == "/tmp/Bild \xC3\xA4.bmp") {
        width = 120;
        height = 40;
        return true;
      }
      if (path == "/pics/empty.png") {
        width = 0;
        height = 0;
        return true;
      }
      return false;
    };
  }
};

struct ApplyCase {
  const char* name;
  bool enabled;
  int32_t type;
  const char16_t* text;
  const char16_t* textImage;
  const char16_t* picture;
  WatermarkBlock mark;   // before; markFile is ignored
  bool carries;          // the answer and whether input.mark.markFile is set
  const char* markFile;  // the item's text afterwards
  bool sizeAsked;
  int width;
  int height;
};

// Cases show by name in test listings rather than as bytes.
void PrintTo(const ApplyCase& c, std::ostream* os) {
  *os << c.name;
}

class WatermarkApplyTest : public testing::TestWithParam<ApplyCase> {};

TEST_P(WatermarkApplyTest, PointsTheRecordAtTheChosenPicture) {
  const ApplyCase& c = GetParam();
  SingleTaskView view;
  view.input = LoadedInput(60, 640, 480);
  view.watermark.enabled = c.enabled;
  view.watermark.type = c.type;
  view.watermark.text = c.text;
  view.watermark.textImage = c.textImage;
  view.watermark.picture = c.picture;
  view.watermark.markFile = "stale";
  view.input.mark = c.mark;
  view.input.mark.markFile = view.watermark.markFile.c_str();
  FakeImages images;

  EXPECT_EQ(ApplyWatermark(view, kBoxWidth, kBoxHeight, images.Fn()), c.carries);
  if (c.carries) {
    EXPECT_EQ(view.input.mark.markFile, view.watermark.markFile.c_str());
  } else {
    EXPECT_EQ(view.input.mark.markFile, nullptr);
  }
  EXPECT_EQ(view.watermark.markFile, c.markFile);
  EXPECT_EQ(images.asked.size(), c.sizeAsked ? 1u : 0u);
  if (c.sizeAsked && !images.asked.empty()) {
    EXPECT_EQ(images.asked[0], c.markFile);
  }
  EXPECT_EQ(view.input.mark.markWidth, c.width);
  EXPECT_EQ(view.input.mark.markHeight, c.height);
  EXPECT_EQ(view.watermark.enabled, c.enabled);  // never unticked by a failure
}

INSTANTIATE_TEST_SUITE_P(Watermark, WatermarkApplyTest,
                         testing::Values(ApplyCase{"PictureSizeRead",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 10, 20, 0, 0, 0},
                                                   true,
                                                   "/pics/logo.png",
                                                   true,
                                                   120,
                                                   40},
                                         ApplyCase{"PictureSizeKept",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 10, 20, 60, 20, 0},
                                                   true,
                                                   "/pics/logo.png",
                                                   false,
                                                   60,
                                                   20},
                                         ApplyCase{"OneSideZeroReadsTheSize",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 0, 0, 60, 0, 0},
                                                   true,
                                                   "/pics/logo.png",
                                                   true,
                                                   120,
                                                   40},
                                         ApplyCase{"ClippedToTheBox",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 250, 160, 0, 0, 0},
                                                   true,
                                                   "/pics/logo.png",
                                                   true,
                                                   70,
                                                   20},
                                         ApplyCase{"UnreadablePicture",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/broken.png",
                                                   {nullptr, 10, 20, 0, 0, 0},
                                                   false,
                                                   "/pics/broken.png",
                                                   true,
                                                   0,
                                                   0},
                                         ApplyCase{"PictureWithoutSize",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/empty.png",
                                                   {nullptr, 10, 20, 0, 0, 0},
                                                   false,
                                                   "/pics/empty.png",
                                                   true,
                                                   0,
                                                   0},
                                         ApplyCase{"NoPictureChosen",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"",
                                                   {nullptr, 10, 20, 60, 20, 0},
                                                   false,
                                                   "",
                                                   false,
                                                   60,
                                                   20},
                                         ApplyCase{"TextPictureInUtf8",
                                                   true,
                                                   1,
                                                   u"Mark",
                                                   u"/tmp/Bild \u00E4.bmp",
                                                   u"/pics/logo.png",
                                                   {nullptr, 0, 0, 0, 0, 0},
                                                   true,
                                                   "/tmp/Bild \xC3\xA4.bmp",
                                                   true,
                                                   120,
                                                   40},
                                         ApplyCase{"EmptyTextIgnoresItsPicture",
                                                   true,
                                                   1,
                                                   u"",
                                                   u"/tmp/Bild \u00E4.bmp",
                                                   u"",
                                                   {nullptr, 0, 0, 0, 0, 0},
                                                   false,
                                                   "",
                                                   false,
                                                   0,
                                                   0},
                                         ApplyCase{"TextNeverRendered",
                                                   true,
                                                   1,
                                                   u"Mark",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 0, 0, 0, 0, 0},
                                                   false,
                                                   "",
                                                   false,
                                                   0,
                                                   0},
                                         ApplyCase{"DisabledCarriesNothingButIsClipped",
                                                   false,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 300, 0, 60, 20, 0},
                                                   false,
                                                   "stale",
                                                   false,
                                                   20,
                                                   20},
                                         ApplyCase{"MarkBeyondTheBoxClipsToNothing",
                                                   true,
                                                   2,
                                                   u"",
                                                   u"",
                                                   u"/pics/logo.png",
                                                   {nullptr, 400, 200, 60, 20, 0},
                                                   true,
                                                   "/pics/logo.png",
                                                   false,
                                                   0,
                                                   0}),
                         [](const testing::TestParamInfo<ApplyCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(WatermarkApply, DoesNothingWhileNoTypeIsChosen) {
  SingleTaskView view = ItemWithMarkSize();
  view.watermark.enabled = true;
  view.watermark.picture = u"/pics/logo.png";
  view.input.mark.markLeft = 500;
  FakeImages images;
  EXPECT_FALSE(ApplyWatermark(view, kBoxWidth, kBoxHeight, images.Fn()));
  EXPECT_EQ(view.input.mark.markFile, nullptr);
  EXPECT_EQ(view.input.mark.markWidth, 40);
  EXPECT_TRUE(view.watermark.markFile.empty());
  EXPECT_TRUE(images.asked.empty());

  view.watermark.markFile = "/pics/logo.png";
  view.input.mark.markFile = view.watermark.markFile.c_str();
  EXPECT_TRUE(ApplyWatermark(view, kBoxWidth, kBoxHeight, images.Fn()));
  EXPECT_EQ(view.input.mark.markFile, view.watermark.markFile.c_str());
}

TEST(WatermarkApply, WithoutASizeReaderThePictureIsNotUsed) {
  SingleTaskView view;
  view.watermark.enabled = true;
  view.watermark.type = 2;
  view.watermark.picture = u"/pics/logo.png";
  EXPECT_FALSE(ApplyWatermark(view, kBoxWidth, kBoxHeight, ImageSizeFn{}));
  EXPECT_EQ(view.input.mark.markFile, nullptr);
}

TEST(WatermarkApply, FailedRenderStillShowsThePreviousTextPicture) {
  SingleTaskView view;
  view.input = LoadedInput(60, 640, 480);
  view.watermark.enabled = true;
  ChooseWatermarkType(view, 1);
  FakeRenderer renderer;
  FakeImages images;
  const QString first = QStringLiteral("/tmp/Bild \u00E4.bmp");
  ASSERT_TRUE(SetWatermarkText(view, QStringLiteral("One"), first, {}, renderer.Fn()));
  ASSERT_TRUE(ApplyWatermark(view, kBoxWidth, kBoxHeight, images.Fn()));

  renderer.succeeds = false;
  EXPECT_FALSE(
      SetWatermarkText(view, QStringLiteral("Two"), QStringLiteral("/tmp/other.bmp"), {}, renderer.Fn()));
  EXPECT_TRUE(ApplyWatermark(view, kBoxWidth, kBoxHeight, images.Fn()));
  EXPECT_EQ(view.watermark.markFile, first.toStdString());
  EXPECT_EQ(view.input.mark.markFile, view.watermark.markFile.c_str());
  EXPECT_EQ(view.input.mark.markWidth, 120);
  EXPECT_EQ(images.asked.size(), 1u);  // the size is still known
}

// ---- Position, transparency, reset ------------------------------------------------------------

TEST(WatermarkPosition, StaysInsideTheBox) {
  struct Case {
    bool (*set)(CIInput&, int, int);
    int value;
    bool accepted;
  };
  // A 70 x 20 mark at (5, 6) in a 320 x 180 box.
  const std::vector<Case> cases = {
      {SetMarkLeft, 0, true}, {SetMarkLeft, 250, true}, {SetMarkLeft, 251, false}, {SetMarkLeft, -1, false},
      {SetMarkTop, 0, true},  {SetMarkTop, 160, true},  {SetMarkTop, 161, false},  {SetMarkTop, -1, false},
  };
  for (const Case& c : cases) {
    CIInput input = LoadedInput(60, 640, 480);
    input.mark = WatermarkBlock{nullptr, 5, 6, 70, 20, 0};
    const int box = c.set == SetMarkLeft ? kBoxWidth : kBoxHeight;
    EXPECT_EQ(c.set(input, c.value, box), c.accepted) << c.value;
    int& moved = c.set == SetMarkLeft ? input.mark.markLeft : input.mark.markTop;
    EXPECT_EQ(moved, c.accepted ? c.value : (c.set == SetMarkLeft ? 5 : 6)) << c.value;
  }
}

TEST(WatermarkTransparency, WrapsIntoZeroToNinetyNine) {
  struct Case {
    int requested;
    int value;
  };
  for (const Case& c :
       std::vector<Case>{{0, 0}, {50, 50}, {99, 99}, {100, 0}, {-1, 99}, {-100, 0}, {-101, 99}, {250, 50}}) {
    EXPECT_EQ(WrapTransparency(c.requested), c.value) << c.requested;
  }
}

TEST(WatermarkReset, ClearsEverythingTheMarkIsMadeOf) {
  SingleTaskView view;
  view.input = LoadedInput(60, 640, 480);
  view.watermark.enabled = true;
  view.watermark.type = 1;
  view.watermark.text = u"Mark";
  view.watermark.font = "Serif,30|#ff0000";
  view.watermark.textImage = u"/tmp/t.bmp";
  view.watermark.picture = u"/pics/logo.png";
  view.watermark.markFile = "/tmp/t.bmp";
  view.input.mark = WatermarkBlock{view.watermark.markFile.c_str(), 1, 2, 3, 4, 5};
  view.input.clipStart = 7;

  ResetWatermark(view);
  EXPECT_FALSE(view.watermark.enabled);
  EXPECT_EQ(view.watermark.type, 0);
  EXPECT_TRUE(view.watermark.text.empty());
  EXPECT_TRUE(view.watermark.font.empty());
  EXPECT_TRUE(view.watermark.textImage.empty());
  EXPECT_TRUE(view.watermark.picture.empty());
  EXPECT_TRUE(view.watermark.markFile.empty());
  const WatermarkBlock& mark = view.input.mark;
  EXPECT_EQ(mark.markFile, nullptr);
  EXPECT_EQ(mark.markLeft, 0);
  EXPECT_EQ(mark.markTop, 0);
  EXPECT_EQ(mark.markWidth, 0);
  EXPECT_EQ(mark.markHeight, 0);
  EXPECT_EQ(mark.markTransparency, 0);
  EXPECT_EQ(view.input.clipStart, 7);  // only the watermark
}

// ---- The undo copy ----------------------------------------------------------------------------

void ExpectSameEdits(const SingleTaskView& actual, const SingleTaskView& expected) {
  const CIInput& a = actual.input;
  const CIInput& e = expected.input;
  EXPECT_EQ(a.clipStart, e.clipStart);
  EXPECT_EQ(a.clipLength, e.clipLength);
  EXPECT_EQ(a.cropX, e.cropX);
  EXPECT_EQ(a.cropY, e.cropY);
  EXPECT_EQ(a.cropWidth, e.cropWidth);
  EXPECT_EQ(a.cropHeight, e.cropHeight);
  EXPECT_EQ(a.zoomMode, e.zoomMode);
  EXPECT_EQ(a.effects.brightness, e.effects.brightness);
  EXPECT_EQ(a.effects.contrast, e.effects.contrast);
  EXPECT_EQ(a.effects.saturation, e.effects.saturation);
  EXPECT_EQ(a.effects.volume, e.effects.volume);
  EXPECT_EQ(a.effects.deinterlace, e.effects.deinterlace);
  EXPECT_EQ(a.mark.markLeft, e.mark.markLeft);
  EXPECT_EQ(a.mark.markTop, e.mark.markTop);
  EXPECT_EQ(a.mark.markWidth, e.mark.markWidth);
  EXPECT_EQ(a.mark.markHeight, e.mark.markHeight);
  EXPECT_EQ(a.mark.markTransparency, e.mark.markTransparency);
  EXPECT_EQ(a.mark.markFile == nullptr, e.mark.markFile == nullptr);
  const WatermarkInfo& aw = actual.watermark;
  const WatermarkInfo& ew = expected.watermark;
  EXPECT_EQ(aw.enabled, ew.enabled);
  EXPECT_EQ(aw.type, ew.type);
  EXPECT_EQ(aw.text, ew.text);
  EXPECT_EQ(aw.font, ew.font);
  EXPECT_EQ(aw.textImage, ew.textImage);
  EXPECT_EQ(aw.picture, ew.picture);
  EXPECT_EQ(aw.markFile, ew.markFile);
}

// Edits everything the editor can, as a user would before cancelling.
void EditEverything(SingleTaskView& item, FakeRenderer& renderer, FakeImages& images) {
  SetTrimStart(item.input, 20);
  SetCropLeft(item.input, 200, MinimumCropOf(item.input, 320, 180));
  item.input.zoomMode = 2;
  item.input.effects.brightness = EffectFromPercent(90);
  item.input.effects.volume = VolumeFromPercent(10);
  item.input.effects.deinterlace = 1;
  item.watermark.enabled = true;
  ChooseWatermarkType(item, 1);
  SetWatermarkFont(item, {QStringLiteral("Mono,40"), 0x00FF00}, QStringLiteral("/tmp/Bild \u00E4.bmp"),
                   renderer.Fn());
  SetWatermarkText(item, QStringLiteral("Other text"), QStringLiteral("/tmp/Bild \u00E4.bmp"), {},
                   renderer.Fn());
  SetMarkLeft(item.input, 100, kBoxWidth);
  item.input.mark.markTransparency = WrapTransparency(-1);
  ApplyWatermark(item, kBoxWidth, kBoxHeight, images.Fn());
}

TEST(WatermarkUndoCopy, AssigningItBackRestoresEverythingAndRepointsTheMark) {
  FakeRenderer renderer;
  FakeImages images;
  SingleTaskView item;
  item.input = LoadedInput(120, 1920, 1080);
  item.input.clipStart = 5;
  item.input.clipLength = 30;
  item.input.effects.contrast = 40;
  item.watermark.enabled = true;
  ChooseWatermarkType(item, 2);
  SetWatermarkPicture(item, QStringLiteral("/pics/logo.png"));
  item.watermark.text = u"Kept text";
  item.watermark.textImage = u"/tmp/kept.bmp";
  item.watermark.font = WatermarkFontText({QStringLiteral("Sans,20,-1,5,700"), 0xFFFFFF});
  ASSERT_TRUE(ApplyWatermark(item, kBoxWidth, kBoxHeight, images.Fn()));
  item.input.mark.markTransparency = 30;

  const SingleTaskView undo(item);
  EXPECT_EQ(undo.input.mark.markFile, undo.watermark.markFile.c_str());  // the copy's own text
  ExpectSameEdits(undo, item);

  EditEverything(item, renderer, images);
  ASSERT_STRNE(item.input.mark.markFile, "/pics/logo.png");

  item = undo;
  ExpectSameEdits(item, undo);
  ASSERT_NE(item.input.mark.markFile, nullptr);
  EXPECT_EQ(item.input.mark.markFile, item.watermark.markFile.c_str());
  EXPECT_NE(item.input.mark.markFile, undo.input.mark.markFile);
  EXPECT_STREQ(item.input.mark.markFile, "/pics/logo.png");
}

TEST(WatermarkUndoCopy, AnItemWithoutMarkGetsNoneBack) {
  FakeRenderer renderer;
  FakeImages images;
  SingleTaskView item;
  item.input = LoadedInput(120, 1920, 1080);
  item.watermark.markFile = "left over";  // text without a designating record
  const SingleTaskView undo(item);
  EXPECT_EQ(undo.input.mark.markFile, nullptr);

  EditEverything(item, renderer, images);
  ASSERT_NE(item.input.mark.markFile, nullptr);

  item = undo;
  ExpectSameEdits(item, undo);
  EXPECT_EQ(item.input.mark.markFile, nullptr);
}

}  // namespace
