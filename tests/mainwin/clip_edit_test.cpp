// The main window's editing actions: each opens the clip editor on the focused item at its page, and
// what OK keeps reaches the list, the slider and the other items.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "editor/editor_window.h"
#include "preview/preview_wrapper.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

using namespace mainwin_test;

class ClipEditTest : public MainWindowTest {
 protected:
  // Runs `work` on the clip editor once it shows, then presses `button` ("ssSBOk", "ssSBCancel").
  static void WhenEditorShows(std::function<void(TCropForm1&)> work, const char* button) {
    QTimer::singleShot(0, [work = std::move(work), button] {
      auto* editor = qobject_cast<TCropForm1*>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr) << "the editor is open";
      work(*editor);
      QTest::mouseClick(editor->findChild<TssSkinButton*>(button), Qt::LeftButton, {}, QPoint(3, 3));
    });
  }

  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3)); }
};

TEST_F(ClipEditTest, EachActionOpensItsPageOnTheFocusedItem) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {Video("a.mp4"), Video("b.mp4")});
    FocusOnly(form, {TopLevel(form)[1]});
    form.UpdateActions();
    const MuiItemInfo* focused = form.TaskList().FocusedItem();
    const struct {
      QAction* action;
      int page;
    } cases[] = {{form.actions.Trim, 0},
                 {form.actions.Crop, 1},
                 {form.actions.Effect, 2},
                 {form.actions.WatermarkAct, 3}};
    for (const auto& c : cases) {
      int page = -1;
      QString file;
      WhenEditorShows(
          [&](TCropForm1& editor) {
            page = editor.Page();
            file = editor.Preview().Setup().item != nullptr ? editor.Preview().Setup().item->sourcePath
                                                            : QString();
          },
          "ssSBCancel");
      c.action->trigger();
      EXPECT_EQ(page, c.page) << c.action->objectName().toStdString();
      EXPECT_EQ(file, focused->sourcePath) << "the focused item plays in the editor";
    }
  }));
}

TEST_F(ClipEditTest, OkNarrowsTheSliderToTheClipAndCancelKeepsTheItem) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {Video("a.mp4")});
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    MuiItemInfo* item = form.TaskList().FocusedItem();
    const int fullFill = form.SkinProcess1->Model().FillWidth();

    WhenEditorShows(
        [](TCropForm1& editor) {
          editor.edtTrimStart->setText("00:00:15");
          Click(editor.ssSBSetTrimStart);
        },
        "ssSBCancel");
    form.actions.Trim->trigger();
    EXPECT_EQ(item->input.clipStart, 0.0) << "Cancel undoes the trim";
    EXPECT_EQ(form.SkinProcess1->Model().FillWidth(), fullFill);

    WhenEditorShows(
        [](TCropForm1& editor) {
          editor.edtTrimStart->setText("00:00:15");
          Click(editor.ssSBSetTrimStart);
        },
        "ssSBOk");
    form.actions.Trim->trigger();
    EXPECT_EQ(item->input.clipStart, 15.0);
    EXPECT_EQ(item->input.clipLength, 15.0);
    EXPECT_NEAR(form.SkinProcess1->Model().FillWidth(), fullFill / 2, 1) << "the slider marks the clip";
  }));
}

TEST_F(ClipEditTest, ApplyToAllCopiesTheEffectsButNotDeinterlacingOrTheTrim) {
  MediaInfo interlaced = VideoMedia(30.0);
  interlaced.interlaced = 1;
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {Video("a.mp4"), Media("b.mp4", interlaced), Video("c.mp4")});
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    WhenEditorShows(
        [](TCropForm1& editor) {
          emit editor.SPBrightness->OnProcessChange(75);
          emit editor.SPVolume->OnProcessChange(25);
          editor.edtTrimLength->setText("00:00:10");
          Click(editor.ssSBSetTrimLength);
          editor.EffectAllCheckBox1->click();
        },
        "ssSBOk");
    form.actions.Effect->trigger();
    const std::vector<TaskNode*> top = TopLevel(form);
    for (int i = 0; i < 3; ++i) {
      const CIInput& input = form.TaskList().ItemOf(top[static_cast<size_t>(i)])->input;
      EXPECT_EQ(input.effects.brightness, 50.0) << i;
      EXPECT_EQ(input.effects.volume, 128) << i;
      EXPECT_EQ(input.effects.deinterlace, i == 1 ? 1 : 0) << i;
      EXPECT_EQ(input.clipLength, i == 0 ? 10.0 : 30.0) << i;
    }
  }));
}

TEST_F(ClipEditTest, AMergedItemFollowsItsPartsNewLength) {
  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {Video("a.mp4"), Video("b.mp4")});
    FocusOnly(form, {TopLevel(form)[0], TopLevel(form)[1]});
    form.UpdateActions();
    form.actions.ActMerge->trigger();
    TaskNode* merged = Tree(form).GetLastTopLevel();
    ASSERT_EQ(merged->ChildCount(), 2);
    const MuiItemInfo* mergedItem = merged->Item();
    EXPECT_EQ(mergedItem->mergedClipLength, 60.0);
    FocusOnly(form, {merged->ChildAt(1)});
    form.UpdateActions();
    ASSERT_TRUE(form.actions.Trim->isEnabled());
    WhenEditorShows(
        [](TCropForm1& editor) {
          editor.edtTrimLength->setText("00:00:05");
          Click(editor.ssSBSetTrimLength);
        },
        "ssSBOk");
    form.actions.Trim->trigger();
    EXPECT_EQ(mergedItem->mergedClipLength, 35.0);
  }));
}

}  // namespace
