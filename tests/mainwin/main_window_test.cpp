#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "mainwin/destination_box.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace mainwin_test {
namespace {

QStringList MenuTexts(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator()) {
      texts.push_back("-");
    } else if (action->isVisible()) {
      texts.push_back(action->text());
    }
  }
  return texts;
}

class MainWindowStartTest : public MainWindowTest {};

TEST_F(MainWindowStartTest, StartsWithTheWelcomePictureAndEverythingThatNeedsAnItemDisabled) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_EQ(form.size(), QSize(850, 585)) << "the window takes the size of its picture";
    EXPECT_FALSE(form.VstList->isVisible());
    EXPECT_TRUE(form.FaceImage->isVisible());
    EXPECT_FALSE(form.FaceImage->pixmap().isNull()) << "the welcome picture comes from the artwork";
    EXPECT_FALSE(form.cboAudio->isEnabled());
    EXPECT_FALSE(form.cboSubtitle->isEnabled());
    EXPECT_FALSE(form.CmbProfileGrp->isEnabled());
    EXPECT_FALSE(form.CmbProfile->isEnabled());
    EXPECT_EQ(form.lblTitle->text(), QString::fromUtf8(kProduct));
    // The boxes are filled although no profile can be chosen yet.
    EXPECT_EQ(form.CmbProfileGrp->count(), 3);
    EXPECT_EQ(form.CmbProfileGrp->currentText(), "General Video");
    EXPECT_EQ(form.CmbProfile->currentText(), "MP4 Video");
    EXPECT_FALSE(form.EditOutPath->text().isEmpty()) << "the destination is read when the window shows";
    EXPECT_TRUE(QFileInfo(form.EditOutPath->text()).isDir());

    const MainActions& a = form.actions;
    for (QAction* action : {a.Rename, a.Remove, a.ClearAll, a.ActMerge, a.CheckAll, a.UnCheckAll, a.Trim,
                            a.Crop, a.Properties, a.Settings, a.StartConvertAct, a.PreviewPlay, a.SnapShot}) {
      EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    }
    for (QAction* action : {a.AddFileAct, a.Exit, a.Preferences, a.About, a.HelpContent, a.SnapShotFolder}) {
      EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    }
    // Buttons follow their actions.
    EXPECT_FALSE(form.SBtnMerge->isEnabled());
    EXPECT_TRUE(form.SBtnLoadDvd->isEnabled());
  }));
}

// Every control of the design, by its name, where the design puts it.
struct Place {
  const char* name;
  int x, y, w, h;  // w, h 0: not checked
};

TEST_F(MainWindowStartTest, EveryControlIsAtItsDesignPlace) {
  const Place places[] = {
      {"SBtnMin", 765, 11, 18, 18},
      {"SBtnClose", 791, 11, 18, 18},
      {"CoolBar1", 216, 30, 270, 22},
      {"SBtnLoadDvd", 148, 63, 129, 47},
      {"SBDownloader", 255, 63, 129, 47},
      {"SBtnEffect", 362, 63, 129, 47},
      {"SBtnTrim", 469, 63, 129, 47},
      {"SBtnCrop", 576, 63, 129, 47},
      {"SBtnPreferences", 683, 63, 129, 47},
      {"ImageView", 40, 128, 264, 198},
      {"ImageAudio", 40, 128, 264, 198},
      {"VideoImage", 40, 128, 264, 198},
      {"MarkPanel1", 136, 184, 105, 41},
      {"FaceImage", 320, 128, 485, 239},
      {"VstList", 320, 128, 485, 239},
      {"SkinProcess1", 40, 338, 263, 10},
      {"SBtnPlay", 42, 363, 39, 39},
      {"SBtnStop", 82, 363, 39, 39},
      {"SBtnBack", 122, 363, 39, 39},
      {"SBtnForward", 162, 363, 39, 39},
      {"SBtnSnap", 216, 363, 39, 39},
      {"SBtnOpenSnap", 262, 363, 39, 39},
      {"SBtnMerge", 325, 377, 90, 28},
      {"SBtnRename", 422, 377, 90, 28},
      {"SBtnRemove", 519, 377, 90, 28},
      {"SBtnCleanAll", 616, 377, 90, 28},
      {"SBtnProperty", 713, 377, 90, 28},
      {"lblAudio", 39, 456, 0, 0},
      {"cboAudio", 111, 451, 158, 0},
      {"lblSubtitle", 282, 456, 0, 0},
      {"cboSubtitle", 348, 451, 145, 0},
      {"lblProfile", 39, 487, 0, 0},
      {"CmbProfileGrp", 111, 482, 114, 0},
      {"CmbProfile", 230, 482, 202, 0},
      {"SBtnSettings", 436, 480, 92, 28},
      {"ssSBApplyToAll", 528, 480, 92, 28},
      {"lblDest", 39, 517, 0, 0},
      {"EditOutPath", 111, 512, 322, 0},
      {"SBtnBrowse", 436, 510, 92, 28},
      {"SBtnOpenFolder", 528, 510, 92, 28},
      {"SBtnStart", 654, 475, 105, 104},
      {"lblTitle", 309, 5, 0, 0},
  };
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    for (const Place& place : places) {
      const auto* widget = form.findChild<QWidget*>(QString::fromUtf8(place.name));
      ASSERT_NE(widget, nullptr) << place.name;
      EXPECT_EQ(widget->pos(), QPoint(place.x, place.y)) << place.name;
      if (place.w > 0) {
        EXPECT_EQ(widget->width(), place.w) << place.name;
      }
      if (place.h > 0) {
        EXPECT_EQ(widget->height(), place.h) << place.name;
      }
    }
    EXPECT_NE(form.findChild<QToolBar*>("ToolBar1"), nullptr);
    EXPECT_NE(form.findChild<QTimer*>("PreviewTimer"), nullptr);
    EXPECT_FALSE(form.PreviewTimer->isActive());
  }));
}

TEST_F(MainWindowStartTest, MenusOnTheToolBarAndThePopUpMenuHoldTheActionsInOrder) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    QStringList captions;
    std::vector<QMenu*> menus;
    for (QToolButton* button : form.ToolBar1->findChildren<QToolButton*>()) {
      // The tool bar's own overflow button is not one of the menus; it must not be needed either.
      if (button->objectName() == "qt_toolbar_ext_button") {
        EXPECT_FALSE(button->isVisible()) << "every menu fits on the tool bar";
        continue;
      }
      ASSERT_NE(button->menu(), nullptr);
      EXPECT_TRUE(button->isVisible()) << button->text().toStdString();
      captions.push_back(button->text());
      menus.push_back(button->menu());
    }
    EXPECT_EQ(captions,
              QStringList({"   File   ", "   Edit   ", "   Clip   ", "   Option   ", "   Help   "}));
    ASSERT_EQ(menus.size(), 5u);
    EXPECT_EQ(MenuTexts(menus[0]), QStringList({"Add File", "-", "Properties", "-", "Exit"}))
        << "Add Folder ... is hidden";
    EXPECT_EQ(MenuTexts(menus[1]),
              QStringList({"Rename", "Move Up", "Move Down", "-", "Remove", "Clear All", "-", "Merge", "-",
                           "Select All", "Check All", "Uncheck All"}));
    EXPECT_EQ(MenuTexts(menus[2]), QStringList({"Effect", "Trim", "Crop", "Watermark"}));
    EXPECT_EQ(MenuTexts(menus[3]), QStringList({"Preferences"}));
    EXPECT_EQ(MenuTexts(menus[4]), QStringList({"Help Content", "Support", "-", "Home Page", "-", "About"}));
    EXPECT_EQ(MenuTexts(form.PMItem),
              QStringList({"Rename", "Move Up", "Move Down", "-", "Remove", "Clear All", "-", "Merge", "-",
                           "Select All", "Check All", "Uncheck All", "-", "Properties"}));
    EXPECT_EQ(form.PMItem->objectName(), "PMItem");
  }));
}

TEST_F(MainWindowStartTest, ActionsCarryTheirNamesCaptionsAndTheUsualKeys) {
  const struct {
    const char* name;
    const char* caption;
    QKeySequence keys;
  } expected[] = {
      {"AddFileAct", "Add File", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"AddFolderAct", "Add Folder ...", QKeySequence()},
      {"Exit", "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"Rename", "Rename", QKeySequence(Qt::Key_F2)},
      {"MoveUp", "Move Up", QKeySequence(Qt::CTRL | Qt::Key_Up)},
      {"MoveDown", "Move Down", QKeySequence(Qt::CTRL | Qt::Key_Down)},
      {"Remove", "Remove", QKeySequence(Qt::Key_Delete)},
      {"ClearAll", "Clear All", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)},
      {"SelectAll", "Select All", QKeySequence(Qt::CTRL | Qt::Key_A)},
      {"ActMerge", "Merge", QKeySequence(Qt::CTRL | Qt::Key_M)},
      {"CheckAll", "Check All", QKeySequence()},
      {"UnCheckAll", "Uncheck All", QKeySequence()},
      {"Properties", "Properties", QKeySequence(Qt::ALT | Qt::Key_Return)},
      {"Trim", "Trim", QKeySequence(Qt::CTRL | Qt::Key_T)},
      {"Crop", "Crop", QKeySequence()},
      {"Effect", "Effect", QKeySequence(Qt::CTRL | Qt::Key_E)},
      {"WatermarkAct", "Watermark", QKeySequence()},
      {"Preferences", "Preferences", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
      {"Settings", "Settings", QKeySequence()},
      {"ActApplyToAll", "ActApplyToAll", QKeySequence()},
      {"StartConvertAct", "StartConvert", QKeySequence(Qt::CTRL | Qt::Key_Return)},
      {"PreviewPlay", "PreviewPlay", QKeySequence()},
      {"PreviewStop", "PreviewStop", QKeySequence()},
      {"PreviewPrev", "PreviewPrev", QKeySequence()},
      {"PreviewNext", "PreviewNext", QKeySequence()},
      {"SnapShot", "SnapShot", QKeySequence()},
      {"SnapShotFolder", "SnapShotFolder", QKeySequence()},
      {"HelpContent", "Help Content", QKeySequence(Qt::Key_F1)},
      {"HomePage", "Home Page", QKeySequence()},
      {"Support", "Support", QKeySequence()},
      {"About", "About", QKeySequence()},
  };
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    for (const auto& e : expected) {
      const auto* action = form.findChild<QAction*>(QString::fromUtf8(e.name));
      ASSERT_NE(action, nullptr) << e.name;
      EXPECT_EQ(action->text(), QString::fromUtf8(e.caption)) << e.name;
      EXPECT_EQ(action->shortcut(), e.keys) << e.name;
    }
    // Two actions must never answer one key.
    QSet<QString> keys;
    for (QAction* action : form.actions.All()) {
      if (!action->shortcut().isEmpty()) {
        EXPECT_FALSE(keys.contains(action->shortcut().toString()))
            << action->shortcut().toString().toStdString();
        keys.insert(action->shortcut().toString());
      }
    }
  }));
}

TEST_F(MainWindowStartTest, AnAudioEditionHidesTheVideoToolsAndClosesTheGap) {
  UseProduct("Tolvermax MP3 Converter");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    for (QAction* action : {form.actions.Effect, form.actions.Crop, form.actions.WatermarkAct}) {
      EXPECT_FALSE(action->isVisible()) << action->objectName().toStdString();
    }
    EXPECT_FALSE(form.SBtnEffect->isVisible());
    EXPECT_FALSE(form.SBtnCrop->isVisible());
    EXPECT_EQ(form.SBtnTrim->pos(), QPoint(362, 63));
    EXPECT_EQ(form.SBtnPreferences->pos(), QPoint(469, 63));
    EXPECT_TRUE(form.actions.Trim->isVisible());
  }));
}

TEST_F(MainWindowStartTest, TheVideoEditionKeepsEveryTool) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    EXPECT_TRUE(form.SBtnEffect->isVisible());
    EXPECT_TRUE(form.SBtnCrop->isVisible());
    EXPECT_EQ(form.SBtnPreferences->pos(), QPoint(683, 63));
  }));
}

// The splash is shown while the window is built; it must last its time without freezing the program.
TEST_F(MainWindowStartTest, ConstructionWaitsForTheSplashWhileMessagesRun) {
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(50);
  QElapsedTimer clock;
  qint64 built = -1;
  int ticksWhileBuilding = -1;
  afterConstruction_ = [&] {
    built = clock.elapsed();
    ticksWhileBuilding = ticks;
  };
  clock.start();
  EXPECT_TRUE(Run([](TConverterForm1&) {}));
  EXPECT_GE(built, 2000);
  EXPECT_GE(ticksWhileBuilding, 10) << "timers and painting must go on while the splash shows";
}

TEST_F(MainWindowStartTest, DesktopCommandsGoThroughTheShell) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    const MuiContext* context = static_cast<const MuiContext*>(platform::Application::Current()->Tag());
    ASSERT_NE(context, nullptr);
    emit form.SBDownloader->OnClick();
    form.actions.HelpContent->trigger();
    form.actions.HomePage->trigger();
    form.actions.Support->trigger();
    EXPECT_EQ(shell_.opened, std::vector<QString>({context->moduleFolder + "Tolvermax Fetchwell Pro",
                                                   context->productFolder + "help.html",
                                                   context->homePageLink, context->supportLink}));
    // The help file opened is one the product ships.
    EXPECT_TRUE(QFileInfo::exists(QString::fromUtf8(std::getenv("KV_SOURCE_DIR")) + "/data/help.html"));
    EXPECT_FALSE(context->homePageLink.isEmpty());
  }));
}

TEST_F(MainWindowStartTest, ClosingWithItemsClearsTheList) {
  const QString file = Video("clip.mp4");
  TaskTree* tree = nullptr;
  int countAtClose = -1;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {file});
    ASSERT_EQ(Tree(form).TopLevelCount(), 1);
    tree = &Tree(form);
    EXPECT_TRUE(form.close());
    countAtClose = tree->TopLevelCount();
    EXPECT_TRUE(form.FaceImage->isVisibleTo(&form));
    EXPECT_FALSE(form.cboAudio->isEnabled());
  }));
  EXPECT_EQ(countAtClose, 0);
}

TEST_F(MainWindowStartTest, UpdateHandlersRunWhenTheApplicationIsIdle) {
  const QString file = Video("clip.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    form.TaskList().LoadFile(file, *form.Profiles().CurrentProfile(), 1);
    EXPECT_FALSE(form.actions.ClearAll->isEnabled()) << "nothing evaluated the rules yet";
    Idle();
    EXPECT_TRUE(form.actions.ClearAll->isEnabled());
    EXPECT_TRUE(form.SBtnCleanAll->isEnabled());
  }));
}

TEST_F(MainWindowStartTest, TheSizeOfTheCheckedItemsOutputsStandsAboveConvert) {
  Record mp4 = ProfileRecord({11, "1", "MP4 Video", ".mp4"});
  for (const auto& [key, value] : Record{{"VideoCodecName", "libvpx"},
                                         {"VideoBitRate", "800000"},
                                         {"AudioCodecName", "mp2"},
                                         {"AudioBitRate", "160000"}}) {
    mp4.emplace_back(key, value);
  }
  WriteBytes(ProductFolder() + "Profile/Profile.xml", RecordFile("Profile", {mp4}));
  const QString a = Video("a.mp4");
  const QString b = Video("b.mp4");
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    Idle();
    EXPECT_TRUE(form.lblEstimate->text().isEmpty()) << "nothing to convert, nothing to tell";
    AddThroughDialog(form, {a, b});
    Idle();
    // 960 kbps for 30 s, twice.
    EXPECT_EQ(form.lblEstimate->text(), "Output about 7.20 MB");
    Tree(form).SetCheckState(Tree(form).Root()->ChildAt(0), CheckState::UncheckedNormal);
    Idle();
    EXPECT_EQ(form.lblEstimate->text(), "Output about 3.60 MB");
    form.TaskList().SetAllChecked(false);
    Idle();
    EXPECT_TRUE(form.lblEstimate->text().isEmpty());
  }));
}

}  // namespace
}  // namespace mainwin_test
