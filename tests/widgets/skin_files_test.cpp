#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <string>

#include "tests/widgets/widget_test_support.h"
#include "widgets/skin_catalog.h"

namespace {

QString SkinsFolder() {
  return qEnvironmentVariable("KV_SOURCE_DIR") + QStringLiteral("/data/Skins/");
}

QString PathOf(std::string_view file) {
  return SkinsFolder() + QString::fromUtf8(file.data(), qsizetype(file.size()));
}

QImage Load(std::string_view file) {
  return QImage(PathOf(file));
}

struct Named {
  const char* file;
  int frameWidth, frameHeight, frames;
};

// Pictures whose names and sizes the windows' layouts fix.
TEST(SkinFiles, EveryPictureTheWindowsNameIsThereInItsSize) {
  ASSERT_TRUE(QFileInfo(SkinsFolder()).isDir()) << SkinsFolder().toStdString();
  const Named named[] = {
      {"face.bmp", 485, 239, 1},
      {"form_main.png", 850, 585, 1},
      {"slide.bmp", 14, 14, 3},
      {"tb_min.png", 18, 18, 4},
      {"tb_close.png", 18, 18, 4},
      {"tool_add_files.png", 129, 47, 4},
      {"tool_download.png", 129, 47, 4},
      {"tool_effect.png", 129, 47, 4},
      {"tool_trim.png", 129, 47, 4},
      {"tool_crop.png", 129, 47, 4},
      {"tool_preferences.png", 129, 47, 4},
      {"ctl_play.png", 39, 39, 4},
      {"ctl_pause.png", 39, 39, 4},
      {"ctl_stop.png", 39, 39, 4},
      {"ctl_back.png", 39, 39, 4},
      {"ctl_forward.png", 39, 39, 4},
      {"ctl_snap.png", 39, 39, 4},
      {"ctl_open_snap.png", 39, 39, 4},
      {"list_merge.png", 90, 28, 4},
      {"list_rename.png", 90, 28, 4},
      {"list_remove.png", 90, 28, 4},
      {"list_clear_all.png", 90, 28, 4},
      {"list_properties.png", 90, 28, 4},
      {"btn_settings.png", 92, 28, 4},
      {"btn_apply_all.png", 92, 28, 4},
      {"btn_browse.png", 92, 28, 4},
      {"btn_open_folder.png", 92, 28, 4},
      {"btn_start.png", 105, 104, 4},
      {"item_audio.png", 23, 16, 1},
      {"item_video.png", 23, 16, 1},
      {"item_merged.png", 23, 16, 1},
  };
  for (const Named& n : named) {
    const QImage picture = Load(n.file);
    ASSERT_FALSE(picture.isNull()) << n.file;
    EXPECT_EQ(picture.size(), QSize(n.frameWidth * n.frames, n.frameHeight)) << n.file;
    const skin::SkinPicture* entry = skin::FindSkinPicture(n.file);
    ASSERT_NE(entry, nullptr) << n.file;
    EXPECT_EQ(entry->frames, n.frames) << n.file;
  }
  for (const char* bmp : {"face.bmp", "progress.bmp", "slide.bmp", "cprogress.bmp", "eprogress.bmp",
                          "about.bmp", "splash.bmp"}) {
    QImageReader reader(PathOf(bmp));
    EXPECT_EQ(reader.format(), "bmp") << bmp;
    EXPECT_TRUE(reader.canRead()) << bmp;
  }
  const QImage icon = Load("kestrelvine.png");
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.width(), icon.height());
  EXPECT_TRUE(icon.hasAlphaChannel());
}

TEST(SkinFiles, EveryCataloguedPictureLoadsWithItsFrames) {
  for (const skin::SkinPicture& p : skin::SkinCatalog()) {
    const QImage picture = Load(p.file);
    ASSERT_FALSE(picture.isNull()) << p.file;
    EXPECT_EQ(picture.size(), QSize(p.frameWidth * p.frames, p.frameHeight)) << p.file;
  }
  // Nothing in the folder is left over from an older set.
  for (const QString& name : QDir(SkinsFolder()).entryList(QDir::Files)) {
    if (name != QStringLiteral("README.md")) {
      EXPECT_NE(skin::FindSkinPicture(name.toStdString()), nullptr) << name.toStdString();
    }
  }
}

bool IsWindowPicture(std::string_view file) {
  return file.starts_with("form_") || file == "about.bmp" || file == "splash.bmp";
}

TEST(SkinFiles, WindowPicturesHaveAKeyedOutlineAndAnOpaqueBody) {
  for (const skin::SkinPicture& p : skin::SkinCatalog()) {
    if (!IsWindowPicture(p.file)) {
      continue;
    }
    const QImage picture = Load(p.file);
    ASSERT_FALSE(picture.isNull()) << p.file;
    const int w = picture.width(), h = picture.height();
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)}) {
      EXPECT_EQ(picture.pixelColor(corner), kMagenta) << p.file;
    }
    EXPECT_NE(picture.pixelColor(w / 2, h / 2), kMagenta) << p.file;
    EXPECT_NE(picture.pixelColor(w / 2, 0), kMagenta) << p.file;
  }
}

// Every state frame differs from the normal one, so hover, press and disabling show; and every frame
// keys out the same pixels as frame 0, which is what the mask is made from, so no key colour shows.
TEST(SkinFiles, ButtonStripsShowEveryStateWithinOneOutline) {
  for (const skin::SkinPicture& p : skin::SkinCatalog()) {
    if (p.frames < 2 || p.file == "digits.png") {
      continue;
    }
    const QImage strip = Load(p.file).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(strip.isNull()) << p.file;
    const QImage normal = strip.copy(0, 0, p.frameWidth, p.frameHeight);
    for (int f = 1; f < p.frames; ++f) {
      const QImage frame = strip.copy(f * p.frameWidth, 0, p.frameWidth, p.frameHeight);
      EXPECT_NE(frame, normal) << p.file << " frame " << f;
      for (int y = 0; y < p.frameHeight; ++y) {
        for (int x = 0; x < p.frameWidth; ++x) {
          ASSERT_EQ(frame.pixelColor(x, y) == kMagenta, normal.pixelColor(x, y) == kMagenta)
              << p.file << " frame " << f << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(SkinFiles, FillsFitTheirTracks) {
  const struct {
    const char* fill;
    const char* track;
    int baseLine;
  } pairs[] = {{"progress.bmp", "track.png", 6},
               {"eprogress.bmp", "etrack.png", 4},
               {"cprogress.bmp", "ctrack.png", 10}};
  for (const auto& pair : pairs) {
    const QImage fill = Load(pair.fill), track = Load(pair.track);
    ASSERT_FALSE(fill.isNull()) << pair.fill;
    ASSERT_FALSE(track.isNull()) << pair.track;
    const int top = pair.baseLine - fill.height() / 2;
    EXPECT_GE(top, 0) << pair.fill;
    EXPECT_LE(top + fill.height(), track.height()) << pair.fill;
    // The groove under the fill is drawn, not see-through.
    EXPECT_NE(track.pixelColor(track.width() / 2, pair.baseLine), kMagenta) << pair.track;
  }
}

}  // namespace
