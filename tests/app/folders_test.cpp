#include "base/folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <optional>

#include "base/mui_context.h"
#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "engines/optionxml/save_option_xml.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "settings/preferences/preference_values.h"
#include "tests/app/context_test_env.h"

namespace {

class FoldersTest : public ContextTest {};

TEST_F(FoldersTest, UserDataFolderIsMakerAndProductUnderTheDataFolderCreatedOnce) {
  const QString expected = Root("home/.local/share/Tolvermax Studio/Video Converter");
  ASSERT_FALSE(QFileInfo::exists(Root("home/.local/share")));

  EXPECT_EQ(UserDataFolder(context_), expected);
  ASSERT_TRUE(QFileInfo(expected).isDir());

  // Asked again, the folder is found as it is, with whatever it holds by now.
  WriteFile(expected + "/user_current_profile.xml");
  EXPECT_EQ(UserDataFolder(context_), expected);
  EXPECT_TRUE(QFileInfo::exists(expected + "/user_current_profile.xml"));
}

TEST_F(FoldersTest, TextImagesAreNumberedOnAcrossCleaning) {
  // Pictures are the program's writing: they go to the user's folder, never the product folder.
  const QString folder = Root("home/.local/share/Tolvermax Studio/Video Converter/TextImage");
  EXPECT_EQ(TextImageFolder(context_), folder);

  const QRegularExpression pattern("^" + QRegularExpression::escape(folder) + "/TxtImg(\\d+)\\.bmp$");
  const auto number = [&](const QString& path) -> std::optional<int> {
    const QRegularExpressionMatch match = pattern.match(path);
    if (!match.hasMatch()) {
      return std::nullopt;
    }
    return match.captured(1).toInt();
  };

  const QString first = NextTextImagePath(context_);
  const QString second = NextTextImagePath(context_);
  ASSERT_TRUE(number(first).has_value()) << first.toStdString();
  EXPECT_EQ(number(second), *number(first) + 1) << second.toStdString();
  EXPECT_TRUE(QFileInfo(folder).isDir());

  WriteFile(first);
  WriteFile(second);
  CleanTextImages(context_);
  EXPECT_FALSE(QFileInfo::exists(folder));

  const QString third = NextTextImagePath(context_);
  EXPECT_EQ(number(third), *number(first) + 2) << third.toStdString();
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(FoldersTest, CleaningRemovesOnlyItsOwnPictures) {
  const QString folder = TextImageFolder(context_);
  const QString outside = Root("outside");
  WriteFile(NextTextImagePath(context_));
  WriteFile(folder + "/notes.txt");
  ASSERT_TRUE(QDir().mkpath(folder + "/nested.bmp"));
  WriteFile(outside + "/kept.bmp");
  ASSERT_TRUE(QFile::link(outside + "/kept.bmp", folder + "/link.bmp"));

  CleanTextImages(context_);

  EXPECT_TRUE(QFileInfo::exists(folder + "/notes.txt"));
  EXPECT_TRUE(QFileInfo(folder + "/nested.bmp").isDir());
  EXPECT_TRUE(QFileInfo(folder + "/link.bmp").isSymLink());
  EXPECT_TRUE(QFileInfo::exists(outside + "/kept.bmp"));
  EXPECT_EQ(QDir(folder).entryList({"TxtImg*.bmp"}, QDir::Files), QStringList());
}

TEST_F(FoldersTest, CleaningDoesNotFollowALinkedFolder) {
  const QString outside = Root("elsewhere");
  WriteFile(outside + "/precious.bmp");
  ASSERT_TRUE(QDir().mkpath(UserDataFolder(context_)));
  ASSERT_TRUE(QFile::link(outside, TextImageFolder(context_)));

  CleanTextImages(context_);

  EXPECT_TRUE(QFileInfo::exists(outside + "/precious.bmp"));
}

// A context that names no product has no folders of its own; nothing may land relative to the
// working folder either.
TEST_F(FoldersTest, WithoutAProductThereAreNoFolders) {
  const MuiContext none;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Root("")));
  WriteFile(Root("stray.bmp"));

  EXPECT_EQ(UserDataFolder(none), QString());
  EXPECT_EQ(TextImageFolder(none), QString());
  EXPECT_EQ(NextTextImagePath(none), QString());
  EXPECT_EQ(UserFileToWrite(none, "logs.log"), QString());
  EXPECT_EQ(UserFileToRead(none, "logs.log"), QString());
  CleanTextImages(none);

  EXPECT_TRUE(QFileInfo::exists(Root("stray.bmp")));
  EXPECT_FALSE(QFileInfo::exists(Root("home/.local/share/Tolvermax Studio")));
  QDir::setCurrent(previous);
}

TEST_F(FoldersTest, DocumentsFolderIsTheDesktopsDocumentsFolder) {
  WriteFile(Root("home/.config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  QString documents;
  ASSERT_TRUE(DocumentsFolder(documents));
  EXPECT_EQ(documents, Root("home/Papers"));
}

// What the program writes relative to the product folder goes to the user's copy; the product's copy
// is only ever read, and only while the user has none.
TEST_F(FoldersTest, UserFilesAreWrittenToTheUsersCopyAndReadFromItFirst) {
  const QString user = Root("home/.local/share/Tolvermax Studio/Video Converter/");
  const QString product = context_.productFolder + "Profile/preferences.xml";

  EXPECT_EQ(UserFileToRead(context_, "Profile/preferences.xml"), product) << "no user copy yet";
  EXPECT_EQ(UserFileToWrite(context_, "Profile/preferences.xml"), user + "Profile/preferences.xml");
  EXPECT_TRUE(QFileInfo(user + "Profile").isDir()) << "the copy's folder is made for the writer";

  WriteFile(user + "Profile/preferences.xml");
  EXPECT_EQ(UserFileToRead(context_, "Profile/preferences.xml"), user + "Profile/preferences.xml");
  EXPECT_EQ(UserFileToWrite(context_, "logs.log"), user + "logs.log");
}

class PreferenceFolderTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
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
  EXPECT_EQ(prefs::PreferenceFolder(context_, prefs::kDestination, "Output"),
            Documents("Tolvermax Studio/Output"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
}

TEST_F(PreferenceFolderTest, AStoredFolderIsTakenAsItStands) {
  const QString chosen = Root("films/not made yet");
  StorePreference(u"general\\destination", chosen);

  EXPECT_EQ(prefs::PreferenceFolder(context_, prefs::kDestination, "Output"), chosen);
  EXPECT_FALSE(QFileInfo::exists(chosen));
  EXPECT_FALSE(QFileInfo::exists(Documents("Tolvermax Studio/Output")));

  // Another key of the same file is still unset.
  EXPECT_EQ(prefs::PreferenceFolder(context_, prefs::kSnapShotFolder, "Snapshot"),
            Documents("Tolvermax Studio/Snapshot"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Snapshot")).isDir());
}

TEST_F(PreferenceFolderTest, TheUsersOwnCopyWinsOverTheProductDefault) {
  StorePreference(u"general\\destination", Root("shipped default"));
  PlugPtr<I_SaveOptionXml> store;
  ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
  store->SetString(u"general\\destination", U16(Root("mine")));
  ASSERT_TRUE(store->SaveAs(U16(UserFileToWrite(context_, "Profile/preferences.xml"))));

  EXPECT_EQ(prefs::PreferenceFolder(context_, prefs::kDestination, "Output"), Root("mine"));
}

TEST_F(PreferenceFolderTest, WithoutTheOptionStoreTheDefaultIsUsed) {
  StorePreference(u"general\\destination", Root("films"));
  registrar_.reset();

  EXPECT_EQ(prefs::PreferenceFolder(context_, prefs::kDestination, "Output"),
            Documents("Tolvermax Studio/Output"));
  EXPECT_TRUE(QFileInfo(Documents("Tolvermax Studio/Output")).isDir());
}

}  // namespace
