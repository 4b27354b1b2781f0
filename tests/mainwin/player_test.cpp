#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include "components/field_text.h"
#include "platform/render_surface.h"
#include "preview/preview_wrapper.h"
#include "settings/preferences/preference_values.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

using namespace mainwin_test;
using State = TConverterForm1::PlayState;

// The player beside the list, driven through the window's actions with the scripted engine.
class PlayerTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    LoadModule("libimageedit.so", kEditName);
  }

  static void LoadModule(const char* file, const char* component) {
    if (FindPlugEntry(OpenPlugTable(), component) != nullptr) {
      return;
    }
    const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
    ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
  }

  // Three videos of two minutes each, the first trimmed to 30 s .. 50 s; the first one focused.
  void AddVideos(TConverterForm1& form) {
    AddThroughDialog(form, {Video("holiday.mp4"), Video("beach.mp4"), Video("party.mp4")});
    MuiItemInfo* first = form.TaskList().ItemOf(TopLevel(form)[0]);
    first->input.media.duration = 120;
    first->input.clipStart = 30;
    first->input.clipLength = 20;
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
  }

  QString SnapshotFolder() const { return home_.path() + "/Documents/Tolvermax Studio/Snapshot/"; }

  void WritePreferences(const QString& imageType) {
    WriteBytes(UserDataFolder() + "/Profile/preferences.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n  <section name=\"general\">\n"
               "    <value key=\"image_type\" text=\"" +
                   Escaped(imageType) + "\"/>\n  </section>\n</options>\n");
  }
};

TEST_F(PlayerTest, PlayPausesAndStopsTheFocusedItem) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.actions.PreviewPlay->trigger();
    EXPECT_EQ(form.playState(), State::Playing);
    EXPECT_EQ(FakeFfPreview::Count("Open"), 1);
    EXPECT_EQ(FakeFfPreview::calls.back(), "Play");
    EXPECT_EQ(FieldText(FakeFfPreview::lastOpen.input.path),
              form.TaskList().FocusedItem()->sourcePath.toStdString());
    EXPECT_DOUBLE_EQ(FakeFfPreview::lastOpen.input.clipStart, 30) << "the main player plays the clip range";
    EXPECT_TRUE(form.PreviewTimer->isActive());
    EXPECT_EQ(form.SBtnPlay->toolTip(), "Pause");
    EXPECT_TRUE(form.VideoImage->isHidden());
    EXPECT_FALSE(form.MarkPanel1->isHidden());
    EXPECT_FALSE(form.cboAudio->isEnabled()) << "no track change while playing";
    form.UpdateActions();
    EXPECT_TRUE(form.actions.PreviewStop->isEnabled());
    EXPECT_TRUE(form.actions.SnapShot->isEnabled());

    form.actions.PreviewPlay->trigger();
    EXPECT_EQ(form.playState(), State::Paused);
    EXPECT_EQ(FakeFfPreview::calls.back(), "Pause");
    EXPECT_FALSE(form.PreviewTimer->isActive());
    EXPECT_EQ(form.SBtnPlay->toolTip(), "Play");

    form.actions.PreviewPlay->trigger();
    EXPECT_EQ(form.playState(), State::Playing);
    EXPECT_EQ(FakeFfPreview::calls.back(), "Play");

    form.actions.PreviewStop->trigger();
    EXPECT_EQ(form.playState(), State::Stopped);
    EXPECT_EQ(FakeFfPreview::calls.back(), "Close");
    EXPECT_FALSE(form.PreviewTimer->isActive());
    EXPECT_FALSE(form.VideoImage->isHidden());
    EXPECT_TRUE(form.MarkPanel1->isHidden());
    EXPECT_TRUE(form.cboAudio->isEnabled());
    form.UpdateActions();
    EXPECT_FALSE(form.actions.PreviewStop->isEnabled()) << "nothing left to stop";
  }));
}

TEST_F(PlayerTest, AnItemTheEngineCannotPlayLeavesThePlayerStopped) {
  FakeFfPreview::openResult = false;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.actions.PreviewPlay->trigger();
    EXPECT_EQ(form.playState(), State::Stopped);
    EXPECT_FALSE(form.PreviewTimer->isActive());
    EXPECT_FALSE(form.VideoImage->isHidden());
    EXPECT_TRUE(dialogs_.shown.empty()) << "no message";
  }));
}

TEST_F(PlayerTest, TheTimerFollowsThePositionAndStopsAtTheClipsEnd) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.actions.PreviewPlay->trigger();
    FakeFfPreview::positions = {{0, 36.0}};
    form.PreviewTimerTimer();
    // What the slider shows for a percentage depends on its pixels: compare with the slider set by hand.
    auto shows = [&](int percent) {
      const int shown = form.SkinProcess1->Getprocess();
      form.SkinProcess1->Setprocess(percent);
      return form.SkinProcess1->Getprocess() == shown;
    };
    EXPECT_TRUE(shows(30)) << "36 s of 120 s";
    EXPECT_EQ(FakeFfPreview::Count("Seek 36"), 0) << "the timer's move is no seek";
    EXPECT_EQ(form.playState(), State::Playing);
    // Past the clip's end (50 s) the preview stops, although the file goes on.
    FakeFfPreview::positions = {{0, 50.5}};
    form.PreviewTimerTimer();
    EXPECT_EQ(form.playState(), State::Stopped);
    EXPECT_TRUE(shows(0));

    // The engine reporting an end stops it as well.
    form.actions.PreviewPlay->trigger();
    FakeFfPreview::positions = {{1, 40.0}};
    form.PreviewTimerTimer();
    EXPECT_EQ(form.playState(), State::Stopped);
  }));
}

TEST_F(PlayerTest, MovingTheSliderSeeksInTheWholeFile) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.SkinProcess1Change(50);
    EXPECT_TRUE(FakeFfPreview::calls.empty()) << "nothing to seek while stopped";
    form.actions.PreviewPlay->trigger();
    for (const auto& [percent, seek] :
         {std::pair{50, "Seek 60"}, std::pair{99, "Seek 118"}, std::pair{0, "Seek 0"}}) {
      form.SkinProcess1Change(percent);
      EXPECT_EQ(FakeFfPreview::calls.back(), seek);
    }
  }));
}

TEST_F(PlayerTest, PreviousAndNextPlayTheNeighboursAndStopAtTheEnds) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    const std::vector<TaskNode*> top = TopLevel(form);
    EXPECT_FALSE(form.actions.PreviewPrev->isEnabled()) << "the first item has none before it";
    form.PreviewPrevExecute();
    EXPECT_EQ(FakeFfPreview::Count("Open"), 0);

    form.actions.PreviewPlay->trigger();
    form.actions.PreviewNext->trigger();
    EXPECT_EQ(Tree(form).FocusedNode(), top[1]);
    EXPECT_TRUE(top[1]->Selected());
    EXPECT_FALSE(top[0]->Selected());
    EXPECT_EQ(FakeFfPreview::Count("Close"), 1) << "the running preview stopped";
    EXPECT_EQ(FakeFfPreview::Count("Open"), 2);
    EXPECT_EQ(form.playState(), State::Playing);
    EXPECT_EQ(FieldText(FakeFfPreview::lastOpen.input.path),
              form.TaskList().ItemOf(top[1])->sourcePath.toStdString());

    form.actions.PreviewNext->trigger();
    EXPECT_EQ(Tree(form).FocusedNode(), top[2]);
    form.UpdateActions();
    EXPECT_FALSE(form.actions.PreviewNext->isEnabled()) << "the last item has none after it";
    form.PreviewNextExecute();
    EXPECT_EQ(FakeFfPreview::Count("Open"), 3);
    form.actions.PreviewPrev->trigger();
    EXPECT_EQ(Tree(form).FocusedNode(), top[1]);
  }));
}

TEST_F(PlayerTest, ActionsThatChangeTheListStopThePreviewFirst) {
  const struct {
    const char* name;
    std::function<void(TConverterForm1&)> act;
  } cases[] = {
      {"focus", [](TConverterForm1& form) { FocusOnly(form, {TopLevel(form)[2]}); }},
      {"remove", [](TConverterForm1& form) { form.actions.Remove->trigger(); }},
      {"clear", [](TConverterForm1& form) { form.actions.ClearAll->trigger(); }},
  };
  for (const auto& c : cases) {
    FakeFfPreview::calls.clear();
    EXPECT_TRUE(Run([&](TConverterForm1& form) {
      AddVideos(form);
      form.actions.PreviewPlay->trigger();
      ASSERT_EQ(form.playState(), State::Playing);
      c.act(form);
      EXPECT_EQ(form.playState(), State::Stopped) << c.name;
      EXPECT_EQ(FakeFfPreview::Count("Close"), 1) << c.name;
    }));
  }
}

TEST_F(PlayerTest, SnapshotsAreNamedAfterTheOutputAndConvertedToThePreferredType) {
  const QDateTime when(QDate(2013, 5, 14), QTime(9, 30, 5));
  struct Case {
    QString imageType;
    QString file;  // in the snapshot folder
    QSize size;
  };
  for (const Case& c : {Case{"BMP", "holiday_20130514093005.bmp", {160, 120}},
                        Case{"JPEG", "holiday_20130514093005.jpeg", {160, 120}},
                        Case{"GIF", "holiday_20130514093005.gif", {160, 120}},
                        Case{"", "holiday_20130514093005.bmp", {160, 120}},
                        Case{"NOSUCHTYPE", "holiday_20130514093005.bmp", {160, 120}}}) {
    WritePreferences(c.imageType);
    QDir(SnapshotFolder()).removeRecursively();
    EXPECT_TRUE(Run([&](TConverterForm1& form) {
      form.SetClock([when] { return when; });
      AddVideos(form);
      form.actions.PreviewPlay->trigger();
      form.UpdateActions();
      form.actions.SnapShot->trigger();
      const QString file = SnapshotFolder() + c.file;
      EXPECT_EQ(form.lastSnapshot(), file) << c.imageType.toStdString();
      const QImage picture(file);
      EXPECT_EQ(picture.size(), c.size) << c.imageType.toStdString();
      EXPECT_EQ(QDir(SnapshotFolder()).entryList(QDir::Files).size(), 1)
          << "the bitmap is gone once converted, kept when not";
      form.actions.SnapShotFolder->trigger();
      ASSERT_FALSE(shell_.shownInFileManager.empty());
      EXPECT_EQ(shell_.shownInFileManager.back(), file);
    }));
  }
}

TEST_F(PlayerTest, ASnapshotWithoutAFrameWritesNothingAndSaysNothing) {
  FakeFfPreview::snapshotDelay = -1;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.actions.PreviewPlay->trigger();
    form.UpdateActions();
    form.actions.SnapShot->trigger();
    EXPECT_TRUE(form.lastSnapshot().isEmpty());
    EXPECT_TRUE(QDir(SnapshotFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(dialogs_.shown.empty());
    // Without a snapshot taken, the folder itself is opened.
    form.actions.SnapShotFolder->trigger();
    ASSERT_EQ(shell_.opened.size(), 1u);
    EXPECT_EQ(QDir(shell_.opened.back()).absolutePath(), QDir(SnapshotFolder()).absolutePath());
    EXPECT_TRUE(shell_.shownInFileManager.empty());
  }));
}

TEST_F(PlayerTest, TheEngineIsGivenThePanelAndTheSnapshotSize) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddVideos(form);
    form.actions.PreviewPlay->trigger();
    const PreviewOpen& record = FakeFfPreview::lastOpen;
    EXPECT_EQ(FieldText(record.renderWindow), form.MarkPanel1->Handle().toStdString());
    EXPECT_EQ(record.viewToBuffer, 0);
    // The profile's 640x480 fitted into the 264x198 video area.
    EXPECT_EQ(record.viewWidth, 264);
    EXPECT_EQ(record.viewHeight, 198);
    EXPECT_EQ(form.MarkPanel1->geometry(), form.VideoImage->geometry());
    EXPECT_EQ(record.snapshotWidth, 160);
    EXPECT_EQ(record.snapshotHeight, 120);
  }));
}

}  // namespace
