// Where the file and folder choosers open: the rule, and the main window's choosers across a restart.
#include <QDir>
#include <QLineEdit>
#include <QStandardPaths>

#include "settings/preferences/chooser_folders.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"

namespace {

TEST(ChooserStartFolderTest, TheRememberedFolderThenVideosThenHome) {
  const QStringList folders = {"/remembered", "/videos"};
  const auto isFolder = [&](const QString& path) { return folders.contains(path); };
  const struct {
    const char* remembered;
    const char* videos;
    const char* expected;
  } cases[] = {
      {"/remembered", "/videos", "/remembered"},
      {"/gone", "/videos", "/videos"},
      {"", "/videos", "/videos"},
      {"/gone", "/no-videos", "/home"},
      {"", "", "/home"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(prefs::ChooserStartFolder(c.remembered, c.videos, "/home", isFolder), c.expected)
        << c.remembered << " " << c.videos;
  }
}

using mainwin_test::MainWindowTest;

class ChooserStartTest : public MainWindowTest {
 protected:
  QString AddFilesStart() {
    QString start;
    EXPECT_TRUE(Run([&](TConverterForm1& form) {
      const size_t before = dialogs_.fileChoosers.size();
      form.actions.AddFileAct->trigger();
      ASSERT_EQ(dialogs_.fileChoosers.size(), before + 1);
      start = dialogs_.fileChoosers.back().start;
    }));
    return start;
  }
};

TEST_F(ChooserStartTest, AddFilesOpensInVideosThenWhereTheUserLastChoseAcrossARestart) {
  const QString videos = home_.path() + "/Videos";
  ASSERT_TRUE(QDir().mkpath(videos));
  ASSERT_EQ(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation), videos);
  EXPECT_EQ(AddFilesStart(), videos) << "nothing chosen yet";

  const QString clip = Video("trips/holiday.mkv");
  EXPECT_TRUE(Run([&](TConverterForm1& form) { AddThroughDialog(form, {clip}); }));
  const QString trips = media_.path() + "/trips";
  EXPECT_EQ(AddFilesStart(), trips) << "kept in the preferences over a restart";

  ASSERT_TRUE(QDir(trips).removeRecursively());
  EXPECT_EQ(AddFilesStart(), videos) << "a folder that is gone is passed over";
  ASSERT_TRUE(QDir(videos).removeRecursively());
  EXPECT_EQ(AddFilesStart(), QDir::homePath());
}

TEST_F(ChooserStartTest, EachPurposeKeepsItsOwnFolderAndTheDestinationStartsAtItself) {
  const QString clip = Video("clips/a.mkv");
  const QString tree = media_.path() + "/tree";
  ASSERT_TRUE(QDir().mkpath(tree));
  dialogs_.folders.push_back(tree);
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.actions.AddFolderAct->trigger();
    AddThroughDialog(form, {clip});
  }));
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.actions.AddFolderAct->trigger();
    form.actions.AddFileAct->trigger();
    form.SBtnBrowse->Press();
    ASSERT_EQ(dialogs_.folderStarts.size(), 3u);
    EXPECT_EQ(dialogs_.folderStarts[1], tree) << "the folder chooser's own folder";
    EXPECT_EQ(dialogs_.fileChoosers.back().start, media_.path() + "/clips") << "the file chooser's own";
    EXPECT_EQ(dialogs_.folderStarts[2], form.EditOutPath->text()) << "the destination starts at itself";
  }));
}

}  // namespace
