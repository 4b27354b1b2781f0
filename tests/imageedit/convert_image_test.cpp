#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <future>
#include <ostream>
#include <string>

#include "engines/imageedit/convert_image.h"
#include "tests/imageedit/edit_fixture.h"

namespace {

using namespace edit_test;

// The naming contract the snapshot feature relies on: only the file name's last extension is
// replaced.
TEST(ImageEditConvertedPath, ReplacesOnlyTheFileNamesLastExtension) {
  const struct {
    const char* source;
    const char* type;
    const char* target;
  } kCases[] = {
      {"/a/b/shot_1.bmp", "jpeg", "/a/b/shot_1.jpeg"}, {"/a/b/shot", "jpeg", "/a/b/shot.jpeg"},
      {"/a/b.c/shot", "png", "/a/b.c/shot.png"},       {"/a/b/shot.v1.bmp", "gif", "/a/b/shot.v1.gif"},
      {"/a/b/.hidden", "png", "/a/b/.hidden.png"},     {"shot.BMP", "JPG", "shot.JPG"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(imageedit::ConvertedPath(QString::fromUtf8(c.source), QString::fromUtf8(c.type)),
              QString::fromUtf8(c.target))
        << c.source << " + " << c.type;
  }
}

struct ConversionCase {
  const char* sourceName;
  const char* type;
  const char* targetName;
  int tolerance;  // per colour channel, at the centre of each block
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
  *out << c.sourceName << " as " << c.type;
}

class ImageEditConvertTest : public EditFixture, public ::testing::TestWithParam<ConversionCase> {};

// The converted picture is read by the engine's own decoder at the source's size and colours, and
// the source stays as it was.
TEST_P(ImageEditConvertTest, WritesThePictureNextToTheSourceInThatType) {
  const ConversionCase& c = GetParam();
  const fs::path source = folder_.path() / c.sourceName;
  const QImage original = BlockPicture();
  const std::string extension = fs::path(c.sourceName).extension().string();
  ASSERT_TRUE(original.save(Q(source), extension.empty() ? "bmp" : extension.substr(1).c_str()));
  const std::string sourceBytes = Bytes(source);

  ASSERT_TRUE(edit_->ConvertImage(U16(Q(source)), U16(QString::fromUtf8(c.type))));

  const fs::path target = folder_.path() / c.targetName;
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{c.sourceName, c.targetName}));
  EXPECT_EQ(Bytes(source), sourceBytes);
  const QImage decoded = DecodedByEngine(target);
  ASSERT_FALSE(decoded.isNull()) << target;
  ASSERT_EQ(decoded.size(), original.size());
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const int x = column * kBlock + kBlock / 2;
      const int y = row * kBlock + kBlock / 2;
      EXPECT_LE(ChannelDistance(decoded.pixelColor(x, y), BlockColour(column, row)), c.tolerance)
          << "block " << column << "," << row;
      EXPECT_EQ(decoded.pixelColor(x, y).alpha(), 255);
    }
  }
}

const ConversionCase kConversions[] = {
    // JPEG halves the colour resolution, so a block's centre takes a little of its neighbours.
    {"shot_1.bmp", "jpeg", "shot_1.jpeg", 20},
    {"shot_1.bmp", "jpg", "shot_1.jpg", 20},
    // The palette is made for the picture, so its few colours come through exactly.
    {"shot_1.bmp", "gif", "shot_1.gif", 2},
    {"shot_1.bmp", "png", "shot_1.png", 0},
    {"shot_1.png", "bmp", "shot_1.bmp", 0},
    {"shot_1.jpeg", "png", "shot_1.png", 20},
    {"shot_1.bmp", "PNG", "shot_1.PNG", 0},
    // Recognised by its content; the name only gains the type.
    {"shot", "gif", "shot.gif", 2},
};

INSTANTIATE_TEST_SUITE_P(Types, ImageEditConvertTest, ::testing::ValuesIn(kConversions),
                         [](const auto& info) {
                           return std::string(info.param.type) + std::to_string(info.index);
                         });

struct AlphaCase {
  const char* type;
  bool keepsTransparency;
};

void PrintTo(const AlphaCase& c, std::ostream* out) {
  *out << c.type;
}

class ImageEditAlphaTest : public EditFixture, public ::testing::TestWithParam<AlphaCase> {};

// A transparent part stays transparent where the type can say so, and turns white (not black, not
// the hidden colour of the pixels) where it cannot.
TEST_P(ImageEditAlphaTest, TransparencyIsKeptOrLaidOnWhite) {
  const AlphaCase& c = GetParam();
  QImage picture(40, 20, QImage::Format_ARGB32);
  picture.fill(QColor(0, 0, 255, 255));
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 20; x < picture.width(); ++x) {
      picture.setPixelColor(x, y, QColor(0, 0, 0, 0));
    }
  }
  const fs::path source = folder_.path() / "mark.png";
  ASSERT_TRUE(picture.save(Q(source), "png"));

  ASSERT_TRUE(edit_->ConvertImage(U16(Q(source)), U16(QString::fromUtf8(c.type))));

  bool hasAlpha = false;
  const QImage decoded = DecodedByEngine(folder_.path() / (std::string("mark.") + c.type), &hasAlpha);
  ASSERT_EQ(decoded.size(), picture.size());
  EXPECT_LE(ChannelDistance(decoded.pixelColor(10, 10), QColor(0, 0, 255)), 12);
  EXPECT_EQ(decoded.pixelColor(10, 10).alpha(), 255);
  if (c.keepsTransparency) {
    EXPECT_TRUE(hasAlpha);
    EXPECT_EQ(decoded.pixelColor(30, 10).alpha(), 0);
  } else {
    EXPECT_EQ(decoded.pixelColor(30, 10).alpha(), 255);
    EXPECT_LE(ChannelDistance(decoded.pixelColor(30, 10), QColor(255, 255, 255)), 12);
  }
}

INSTANTIATE_TEST_SUITE_P(Types, ImageEditAlphaTest,
                         ::testing::Values(AlphaCase{"bmp", true}, AlphaCase{"gif", true},
                                           AlphaCase{"jpeg", false}),
                         [](const auto& info) { return std::string(info.param.type); });

class ImageEditRefusalTest : public EditFixture, public ::testing::Test {};

// Whatever cannot be converted gives false and leaves the folder exactly as it was.
TEST_F(ImageEditRefusalTest, BadTypesAndSourcesWriteNothing) {
  const fs::path good = folder_.path() / "good.bmp";
  ASSERT_TRUE(BlockPicture().save(Q(good), "bmp"));
  const std::string goodBmp = Bytes(good);
  WriteBytes(folder_.path() / "garbage.bmp", "this is not a picture at all, only words");
  WriteBytes(folder_.path() / "header_only.bmp", goodBmp.substr(0, 54));
  WriteBytes(folder_.path() / "empty.bmp", "");
  fs::create_directory(folder_.path() / "folder.bmp");
  const auto before = Names(folder_.path());

  const struct {
    const char* source;
    const char* type;
  } kCases[] = {
      {"good.bmp", "xyz"},   {"good.bmp", ""},       {"good.bmp", "../png"}, {"good.bmp", ".png"},
      {"good.bmp", "png/x"}, {"missing.bmp", "png"}, {"garbage.bmp", "png"}, {"header_only.bmp", "png"},
      {"empty.bmp", "png"},  {"folder.bmp", "png"},  {"pipe.bmp", "png"},    {"garbage.bmp", "bmp"},
  };
  for (const auto& c : kCases) {
    EXPECT_FALSE(edit_->ConvertImage(U16(Q(folder_.path() / c.source)), U16(QString::fromUtf8(c.type))))
        << c.source << " as " << c.type;
    EXPECT_EQ(Names(folder_.path()), before) << c.source << " as " << c.type;
  }
  EXPECT_EQ(Bytes(good), goodBmp);
  EXPECT_FALSE(edit_->ConvertImage(nullptr, u"png"));
  EXPECT_FALSE(edit_->ConvertImage(U16(Q(good)), nullptr));
  EXPECT_FALSE(edit_->ConvertImage(u"", u"png"));
}

// A file broken off part way (an interrupted copy) is not converted, although Qt's readers of these
// formats would make a picture of it; the whole file it was cut from is.
TEST_F(ImageEditRefusalTest, ACutShortSourceIsRefused) {
  // Each whole file has a name of its own, so that no conversion below replaces another's source.
  const auto whole = [this](const std::string& type) { return folder_.path() / (type + "_whole." + type); };
  ASSERT_TRUE(BusyPicture().save(Q(whole("bmp")), "bmp"));
  ASSERT_TRUE(BusyPicture().save(Q(whole("png")), "png"));
  ASSERT_TRUE(BusyPicture().save(Q(whole("jpeg")), "jpeg"));
  const fs::path gifSource = folder_.path() / "gif_whole.bmp";
  ASSERT_TRUE(BusyPicture().save(Q(gifSource), "bmp"));
  ASSERT_TRUE(edit_->ConvertImage(U16(Q(gifSource)), u"gif"));
  fs::remove(gifSource);

  for (const std::string type : {"bmp", "png", "jpeg", "gif"}) {
    const QString into = QString::fromUtf8(type == "bmp" ? "png" : "bmp");
    const std::string bytes = Bytes(whole(type));
    // A BMP's and a JPEG's last byte belongs to the picture; a PNG's and a GIF's to the trailer after it.
    const bool endsWithPicture = type == "bmp" || type == "jpeg";
    for (const size_t kept :
         {endsWithPicture ? bytes.size() - 1 : bytes.size() * 3 / 4, bytes.size() / 2, size_t{40}}) {
      const fs::path cut = folder_.path() / ("cut." + type);
      WriteBytes(cut, bytes.substr(0, kept));
      EXPECT_FALSE(edit_->ConvertImage(U16(Q(cut)), U16(into)))
          << type << " cut to " << kept << " of " << bytes.size() << " bytes";
      EXPECT_FALSE(fs::exists(folder_.path() / ("cut." + into.toStdString())));
      fs::remove(cut);
    }
    EXPECT_TRUE(edit_->ConvertImage(U16(Q(whole(type))), U16(into))) << type;
  }
}

// A FIFO with no writer: opening it for reading the ordinary way waits for one forever.
TEST_F(ImageEditRefusalTest, AFifoIsRefusedWithoutWaiting) {
  const fs::path pipe = folder_.path() / "pipe.bmp";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  auto converted = std::async(std::launch::async, [&] { return edit_->ConvertImage(U16(Q(pipe)), u"png"); });
  if (converted.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    // Lets the stuck reader go (it sees an empty stream), so the test ends instead of hanging.
    const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) {
      ::close(writer);
    }
    ADD_FAILURE() << "the conversion waited for a writer of the FIFO";
  }
  EXPECT_FALSE(converted.get());
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{"pipe.bmp"}));
}

// Converting into the source's own type, under any name of the same file, leaves the source alone:
// no rewrite, no loss of quality, no moment without the file.
TEST_F(ImageEditRefusalTest, TheSourceIsNeverWrittenOver) {
  const fs::path source = folder_.path() / "shot.bmp";
  ASSERT_TRUE(BlockPicture().save(Q(source), "bmp"));
  const std::string bytes = Bytes(source);
  struct stat before {};
  ASSERT_EQ(::stat(source.c_str(), &before), 0);
  // Converting to PNG would write this link, which names the source.
  fs::create_symlink("shot.bmp", folder_.path() / "shot.png");

  EXPECT_TRUE(edit_->ConvertImage(U16(Q(source)), u"bmp"));
  EXPECT_TRUE(edit_->ConvertImage(U16(Q(source)), u"png"));

  struct stat after {};
  ASSERT_EQ(::stat(source.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the source was replaced";
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(Bytes(source), bytes);
  EXPECT_TRUE(fs::is_symlink(folder_.path() / "shot.png"));
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{"shot.bmp", "shot.png"}));
}

// A target that cannot be written keeps what it was, and no temporary file is left beside it; a
// target that can is replaced whole.
TEST_F(ImageEditRefusalTest, AFailedWriteLeavesNoPartialFile) {
  const fs::path source = folder_.path() / "shot.bmp";
  ASSERT_TRUE(BlockPicture().save(Q(source), "bmp"));
  fs::create_directory(folder_.path() / "shot.png");
  const auto before = Names(folder_.path());

  EXPECT_FALSE(edit_->ConvertImage(U16(Q(source)), u"png"));
  EXPECT_EQ(Names(folder_.path()), before);
  EXPECT_TRUE(fs::is_directory(folder_.path() / "shot.png"));
  EXPECT_TRUE(fs::is_empty(folder_.path() / "shot.png"));

  WriteBytes(folder_.path() / "shot.jpeg", std::string(100000, 'x'));
  ASSERT_TRUE(edit_->ConvertImage(U16(Q(source)), u"jpeg"));
  EXPECT_EQ(DecodedByEngine(folder_.path() / "shot.jpeg").size(), BlockPicture().size());
  EXPECT_EQ(Names(folder_.path()), (std::set<std::string>{"shot.bmp", "shot.png", "shot.jpeg"}));
}

}  // namespace
