#include "app/folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <optional>

#include "app/qt_text.h"
#include "components/i_save_option_xml.h"
#include "engines/optionxml/save_option_xml.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "tests/app/app_test_env.h"

namespace {

class FoldersTest : public AppTest {};

TEST_F(FoldersTest, UserDataFolderIsMakerAndProductUnderTheDataFolderCreatedOnce) {
  const QString expected = Root("home/.local/share/Tolvermax Studio/Video Converter");
  ASSERT_FALSE(QFileInfo::exists(Root("home/.local/share")));

  EXPECT_EQ(UserDataFolder(), expected);
  ASSERT_TRUE(QFileInfo(expected).isDir());

  // Asked again, the folder is found as it is, with whatever it holds by now.
  WriteFile(expected + "/user_current_profile.xml");
  EXPECT_EQ(UserDataFolder(), expected);
  EXPECT_TRUE(QFileInfo::exists(expected + "/user_current_profile.xml"));
}

TEST_F(FoldersTest, TextImagesAreNumberedOnAcrossCleaning) {
  const QString folder = context_.productFolder + "TextImage";
  EXPECT_EQ(TextImageFolder(), folder);
  ASSERT_FALSE(QFileInfo::exists(context_.productFolder))
      << "the product folder's parents are made on demand";

  const QRegularExpression pattern("^" + QRegularExpression::escape(folder) + "/TxtImg(\\d+)\\.bmp$");
  const auto number = [&](const QString& path) -> std::optional<int> {
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch()) {
      return std::nullopt;
    }
    return match.captured(1).toInt();
  };

  const QString first = NextTextImagePath();
  const QString second = NextTextImagePath();
  ASSERT_TRUE(number(first).has_value()) << first.toStdString();
  EXPECT_EQ(number(second), *number(first) + 1) << second.toStdString();
  EXPECT_TRUE(QFileInfo(folder).isDir());

  WriteFile(first);
  WriteFile(second);
  CleanTextImages();
  EXPECT_FALSE(QFileInfo::exists(folder));

  const QString third = NextTextImagePath();
  EXPECT_EQ(number(third), *number(first) + 2) << third.toStdString();
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(FoldersTest, CleaningRemovesOnlyItsOwnPictures) {
  const QString folder = TextImageFolder();
  const QString outside = Root("outside");
  WriteFile(NextTextImagePath());
  WriteFile(folder + "/notes.txt");
  ASSERT_TRUE(QDir().mkpath(folder + "/nested.bmp"));
  WriteFile(outside + "/kept.bmp");
  ASSERT_TRUE(QFile::link(outside + "/kept.bmp", folder + "/link.bmp"));

  CleanTextImages();

  EXPECT_TRUE(QFileInfo::exists(folder + "/notes.txt"));
  EXPECT_TRUE(QFileInfo(folder + "/nested.bmp").isDir());
  EXPECT_TRUE(QFileInfo(folder + "/link.bmp").isSymLink());
  EXPECT_TRUE(QFileInfo::exists(outside + "/kept.bmp"));
  EXPECT_EQ(QDir(folder).entryList({"TxtImg*.bmp"}, QDir::Files), QStringList());
}

TEST_F(FoldersTest, CleaningDoesNotFollowALinkedFolder) {
  const QString outside = Root("elsewhere");
  WriteFile(outside + "/precious.bmp");
  ASSERT_TRUE(QDir().mkpath(context_.productFolder));
  ASSERT_TRUE(QFile::link(outside, TextImageFolder()));

  CleanTextImages();

  EXPECT_TRUE(QFileInfo::exists(outside + "/precious.bmp"));
}

// Before the context is published (and after it is withdrawn) there is no product to find folders
// for; nothing may land relative to the working folder either.
TEST_F(FoldersTest, WithoutContextThereAreNoFolders) {
  app_.SetTag(nullptr);
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Root("")));
  WriteFile(Root("stray.bmp"));

  EXPECT_EQ(UserDataFolder(), QString());
  EXPECT_EQ(TextImageFolder(), QString());
  EXPECT_EQ(NextTextImagePath(), QString());
  EXPECT_EQ(PreferenceFolder("destination", "Output"), QString());
  CleanTextImages();

  EXPECT_TRUE(QFileInfo::exists(Root("stray.bmp")));
  EXPECT_FALSE(QFileInfo::exists(Root("home/.local/share/Tolvermax Studio")));
  QDir::setCurrent(previous);
}

TEST_F(FoldersTest, DocumentsFolderIsTheDesktopsDocumentsFolder) {
  WriteFile(Root("home/.config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  QString documents;
  ASSERT_TRUE(DocumentsFolder(nullptr, documents));
  EXPECT_EQ(documents, Root("home/Papers"));
}

class PreferenceFolderTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WriteFile(Root("home/.config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  }

  void StorePreference(const char16_t* key, const QString& value) {
    PlugPtr<I_SaveOptionXml> store;
    ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
    const QString path = context_.productFolder + "Profile/preferences.xml";
    store->Load(U16(path));
    store->SetString(key, U16(value));
    ASSERT_TRUE(QDir().mkpath(context_.productFolder + "Profile"));
    ASSERT_TRUE(store->SaveAs(U16(path)));
  }

  QString Documents(const QString& relative) const { return Root("home/Papers/" + relative); }

  std::optional<AutoReg> registrar_{std::in_place, kSaveOptionXmlName, &CreateSaveOptionXml};
};

TEST_F(PreferenceFolderTest, UnsetGivesTheDefaultUnderDocumentsAndCreatesIt) {
  ASSERT_FALSE(QFileInfo::exists(context_.productFolder + "Profile/preferences.xml"));
  EXPECT_EQ(PreferenceFolder("destination", "Output"), Documents("Tolvermax Studio/Output"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
}

TEST_F(PreferenceFolderTest, AStoredFolderIsTakenAsItStands) {
  const QString chosen = Root("films/not made yet");
  StorePreference(u"general\\destination", chosen);

  EXPECT_EQ(PreferenceFolder("destination", "Output"), chosen);
  EXPECT_FALSE(QFileInfo::exists(chosen));
  EXPECT_FALSE(QFileInfo::exists(Documents("Tolvermax Studio/Output")));

  // Another key of the same file is still unset.
  EXPECT_EQ(PreferenceFolder("snap_shot_folder", "Snapshot"), Documents("Tolvermax Studio/Snapshot"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Snapshot")).isDir());
}

TEST_F(PreferenceFolderTest, WithoutTheOptionStoreTheDefaultIsUsed) {
  StorePreference(u"general\\destination", Root("films"));
  registrar_.reset();

  EXPECT_EQ(PreferenceFolder("destination", "Output"), Documents("Tolvermax Studio/Output"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
}

}  // namespace
