#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <string>

#include "engines/ffengine/image_size.h"
#include "tests/imageedit/edit_fixture.h"

namespace {

using namespace edit_test;

QString FontText(const char* family, int points, bool bold, bool italic) {
  QFont font(QString::fromUtf8(family), points);
  font.setBold(bold);
  font.setItalic(italic);
  return font.toString();
}

// Pixels with some coverage.
int InkCount(const QImage& picture) {
  int count = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      count += picture.pixelColor(x, y).alpha() > 0 ? 1 : 0;
    }
  }
  return count;
}

// Missing-glyph boxes drawn for two different texts of the same length: the same size and nearly the
// same ink (the boxes may sit a fraction of a pixel apart). Real glyphs differ in width or ink.
bool LooksAlike(const QImage& a, const QImage& b) {
  return a.size() == b.size() && std::abs(InkCount(a) - InkCount(b)) * 20 <= InkCount(a);
}

// True when no pixel of the outermost rows and columns has any coverage: nothing was cut off.
bool ClearBorder(const QImage& picture) {
  for (int x = 0; x < picture.width(); ++x) {
    if (picture.pixelColor(x, 0).alpha() != 0 || picture.pixelColor(x, picture.height() - 1).alpha() != 0) {
      return false;
    }
  }
  for (int y = 0; y < picture.height(); ++y) {
    if (picture.pixelColor(0, y).alpha() != 0 || picture.pixelColor(picture.width() - 1, y).alpha() != 0) {
      return false;
    }
  }
  return true;
}

struct LookCase {
  const char* name;
  const char* family;
  int points;
  bool bold;
  bool italic;
  uint32_t colour;
  const char* file;
};

void PrintTo(const LookCase& c, std::ostream* out) {
  *out << c.name;
}

class ImageEditTextLookTest : public EditFixture, public ::testing::TestWithParam<LookCase> {};

// The watermark reader takes the picture with its alpha: transparent wherever nothing is drawn, the
// exact colour wherever a glyph covers a pixel fully, and nothing cut at the edges (italic overhangs
// included).
TEST_P(ImageEditTextLookTest, DrawsTheTextInItsColourOnTransparency) {
  const LookCase& c = GetParam();
  const fs::path file = folder_.path() / c.file;
  ASSERT_TRUE(edit_->RenderText(u"Kestrel fjord Wq", U16(Q(file)),
                                U16(FontText(c.family, c.points, c.bold, c.italic)), c.colour));
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{c.file}));

  const QImage byQt(Q(file));
  ASSERT_FALSE(byQt.isNull());
  int32_t width = 0;
  int32_t height = 0;
  ASSERT_TRUE(ffengine::ReadImageSize(file.c_str(), width, height));
  EXPECT_EQ(width, byQt.width());
  EXPECT_EQ(height, byQt.height());

  bool hasAlpha = false;
  const QImage picture = DecodedByEngine(file, &hasAlpha);
  ASSERT_EQ(picture.size(), byQt.size());
  EXPECT_TRUE(hasAlpha);
  EXPECT_TRUE(ClearBorder(picture));
  const QColor colour = QColor::fromRgb(c.colour);
  int opaque = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel.alpha() == 255) {
        ++opaque;
        ASSERT_EQ(ChannelDistance(pixel, colour), 0) << x << "," << y;
      }
    }
  }
  EXPECT_GT(opaque, 50);
}

const LookCase kLooks[] = {
    {"SansRedBmp", "DejaVu Sans", 28, false, false, 0xFF0000, "TxtImg0.bmp"},
    {"SerifBoldItalicBlueBmp", "DejaVu Serif", 22, true, true, 0x1E90FF, "TxtImg1.bmp"},
    {"SerifItalicGreenPng", "DejaVu Serif", 30, false, true, 0x20A040, "mark.png"},
    {"SansWhiteBmp", "DejaVu Sans", 18, true, false, 0xFFFFFF, "TxtImg2.bmp"},
};

INSTANTIATE_TEST_SUITE_P(Fonts, ImageEditTextLookTest, ::testing::ValuesIn(kLooks),
                         [](const auto& info) { return std::string(info.param.name); });

class ImageEditTextTest : public EditFixture, public ::testing::Test {
 protected:
  // The text drawn into a BMP and read back by the engine; null when RenderText refused.
  QImage Render(const QString& text, const QString& font, const std::string& name = "TxtImg0.bmp") {
    const fs::path file = folder_.path() / name;
    if (!edit_->RenderText(U16(text), U16(Q(file)), U16(font), 0x000000)) {
      return {};
    }
    return DecodedByEngine(file);
  }
};

// Every script a font of the machine has is drawn, in any style asked for: as glyphs, not as the
// empty boxes of missing ones (text of private-use characters shows what boxes give). DejaVu has
// Arabic only in its upright faces.
TEST_F(ImageEditTextTest, DrawsEveryScriptTheFontsHave) {
  const struct {
    const char* name;
    QString text;
  } kTexts[] = {
      // Single words: boxes in either direction then look alike.
      {"Cyrillic", QStringLiteral("Привет")},
      {"Hebrew", QStringLiteral("שלום")},
      {"Arabic", QStringLiteral("مرحبا")},
  };
  for (const QString& font :
       {FontText("DejaVu Sans", 24, false, false), FontText("DejaVu Serif", 24, true, true)}) {
    const QImage latin = Render(QStringLiteral("Kestrelvine"), font);
    ASSERT_FALSE(latin.isNull());
    for (const auto& t : kTexts) {
      const QImage picture = Render(t.text, font);
      const QString boxes(t.text.size(), QChar(0xE000));
      ASSERT_FALSE(picture.isNull()) << t.name << " in " << font.toStdString();
      EXPECT_FALSE(LooksAlike(picture, Render(boxes, font))) << t.name << " in " << font.toStdString();
      EXPECT_GT(InkCount(picture), 100) << t.name;
      EXPECT_TRUE(ClearBorder(picture)) << t.name;
    }
  }
}

// Lines break at line feeds, each line in the face that draws it.
TEST_F(ImageEditTextTest, DrawsEveryLineUnderTheOther) {
  const QString font = FontText("DejaVu Serif", 24, false, true);
  const QImage oneLine = Render(QStringLiteral("Kestrelvine"), font);
  const QImage twoLines = Render(QStringLiteral("Kestrelvine\nConverter"), font);
  ASSERT_FALSE(oneLine.isNull());
  ASSERT_FALSE(twoLines.isNull());
  EXPECT_GT(twoLines.height(), oneLine.height() * 3 / 2);
  EXPECT_LT(twoLines.width(), oneLine.width() * 3 / 2);
  EXPECT_EQ(Render(QStringLiteral("Kestrelvine\r\nConverter"), font), twoLines);

  // Adding an Arabic line leaves the Latin line above it as it was (still italic).
  const QImage mixed = Render(QStringLiteral("Kestrelvine\nمرحبا"), font);
  ASSERT_FALSE(mixed.isNull());
  ASSERT_GE(mixed.width(), oneLine.width());
  EXPECT_EQ(mixed.copy(0, 0, oneLine.width(), oneLine.height() / 2),
            oneLine.copy(0, 0, oneLine.width(), oneLine.height() / 2));
}

TEST_F(ImageEditTextTest, ALargerFontGivesALargerPicture) {
  const QImage small = Render(QStringLiteral("Watermark"), FontText("DejaVu Sans", 12, false, false));
  const QImage large = Render(QStringLiteral("Watermark"), FontText("DejaVu Sans", 36, false, false));
  ASSERT_FALSE(small.isNull());
  ASSERT_FALSE(large.isNull());
  EXPECT_GT(large.width(), small.width() * 2);
  EXPECT_GT(large.height(), small.height() * 2);
}

// A description the platform cannot parse still gives a readable watermark in the default font.
TEST_F(ImageEditTextTest, AnUnusableFontDescriptionFallsBackToTheDefault) {
  for (const QString& font : {QString(), QStringLiteral("   "), QStringLiteral(",,,,,,,,,")}) {
    const QImage picture = Render(QStringLiteral("Watermark"), font);
    ASSERT_FALSE(picture.isNull()) << font.toStdString();
    EXPECT_GT(InkCount(picture), 100);
  }
}

// Nothing to draw, nowhere to write, or a type without a writer: false, and no file anywhere.
TEST_F(ImageEditTextTest, RefusalsWriteNothing) {
  const QString font = FontText("DejaVu Sans", 20, false, false);
  for (const QString& text :
       {QString(), QStringLiteral(" "), QStringLiteral(" \n\t\r\n "), QStringLiteral("\u200B")}) {
    EXPECT_TRUE(Render(text, font).isNull()) << "text of " << text.size() << " characters";
  }
  // Larger than any watermark the conversion engine reads: refused rather than drawn.
  EXPECT_TRUE(Render(QStringLiteral("Watermark"), FontText("DejaVu Sans", 3000, false, false)).isNull());
  EXPECT_TRUE(Render(QString(3000, u'W'), font).isNull());
  WriteBytes(folder_.path() / "plain_file", "x");
  fs::create_directory(folder_.path() / "taken.bmp");
  for (const char* name :
       {"no_folder/TxtImg0.bmp", "plain_file/TxtImg0.bmp", "taken.bmp", "mark.xyz", "mark"}) {
    EXPECT_TRUE(Render(QStringLiteral("Watermark"), font, name).isNull()) << name;
  }
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{"plain_file", "taken.bmp"}));
  EXPECT_TRUE(fs::is_empty(folder_.path() / "taken.bmp"));

  const QString path = Q(folder_.path() / "TxtImg0.bmp");
  EXPECT_FALSE(edit_->RenderText(nullptr, U16(path), U16(font), 0));
  EXPECT_FALSE(edit_->RenderText(u"x", nullptr, U16(font), 0));
  EXPECT_FALSE(edit_->RenderText(u"x", U16(path), nullptr, 0));
  EXPECT_FALSE(fs::exists(folder_.path() / "TxtImg0.bmp"));
}

// A new text replaces the old picture whole.
TEST_F(ImageEditTextTest, RenderingAgainReplacesThePicture) {
  const QString font = FontText("DejaVu Sans", 20, false, false);
  const QImage longer = Render(QStringLiteral("A much longer watermark"), font);
  const QImage shorter = Render(QStringLiteral("Short"), font);
  ASSERT_FALSE(longer.isNull());
  ASSERT_FALSE(shorter.isNull());
  EXPECT_LT(shorter.width(), longer.width());
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{"TxtImg0.bmp"}));
}

}  // namespace
