#include <QLineEdit>

#include "mainwin/destination_box.h"
#include "tests/mainwin/main_window_test_support.h"

namespace mainwin_test {
namespace {

class DestinationTest : public MainWindowTest {};

TEST_F(DestinationTest, AfterBrowsingOpenOpensTheNewFolderEvenAfterAConversion) {
  const QString chosen = media_.path() + "/chosen";
  ASSERT_TRUE(QDir().mkpath(chosen));
  const QString written = media_.path() + "/old/out.mp4";
  WriteBytes(written, "output");
  dialogs_.folders.push_back(chosen);
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    const QString preference = form.EditOutPath->text();
    EXPECT_TRUE(preference.endsWith("/Tolvermax Studio/Output")) << preference.toStdString();
    form.Destination().SetLastOutputFile(written);

    form.SBtnBrowseClick();
    ASSERT_EQ(dialogs_.folderTitles.size(), 1u);
    EXPECT_EQ(dialogs_.folderTitles[0], "Please Select Output Folder");
    EXPECT_EQ(form.EditOutPath->text(), chosen);
    EXPECT_TRUE(form.Destination().lastOutputFile().isEmpty());

    form.SBtnOpenFolderClick();
    EXPECT_EQ(shell_.opened, std::vector<QString>({chosen}));
    EXPECT_TRUE(shell_.shownInFileManager.empty());
  }));
}

TEST_F(DestinationTest, ACancelledBrowseKeepsTheDestination) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    const QString before = form.EditOutPath->text();
    form.SBtnBrowseClick();
    EXPECT_EQ(form.EditOutPath->text(), before);
  }));
}

TEST_F(DestinationTest, OpenShowsTheLastOutputFileWhileItExistsThenTheFolder) {
  const QString written = media_.path() + "/out.mp4";
  WriteBytes(written, "output");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.Destination().SetLastOutputFile(written);
    form.SBtnOpenFolderClick();
    EXPECT_EQ(shell_.shownInFileManager, std::vector<QString>({written}));
    EXPECT_TRUE(shell_.opened.empty());

    ASSERT_TRUE(QFile::remove(written));
    form.SBtnOpenFolderClick();
    EXPECT_EQ(shell_.opened, std::vector<QString>({form.EditOutPath->text()}));
    EXPECT_EQ(shell_.shownInFileManager.size(), 1u);
  }));
}

}  // namespace
}  // namespace mainwin_test
