#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <set>

#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"

namespace {

using namespace mainwin_test;

// Every action and button of the main window that its rules enable for an ordinary list does what
// its caption says: triggering it has an effect a user would see.
class ActionWalkTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (FindPlugEntry(OpenPlugTable(), kEditName) == nullptr) {
      const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/libimageedit.so";
      ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
    }
  }

  // Three videos, all checked, the first focused and selected, nothing playing.
  void Fresh(TConverterForm1& form) {
    form.PreviewStopExecute();
    form.ClearAllExecute();
    AddThroughDialog(form, {Video("a.mp4"), Video("b.mp4"), Video("c.mp4")});
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
  }

  // Modal windows the walk opened, by class name; each is closed as soon as it shows.
  std::vector<std::string> modals_;
};

struct Step {
  const char* name;  // an action's name, or a button's
  std::function<void(ActionWalkTest&, TConverterForm1&)> prepare;
  std::function<std::string(TConverterForm1&)> before;  // a picture of what should change
};

TEST_F(ActionWalkTest, EveryEnabledActionDoesWhatItsCaptionSays) {
  // What each action is seen to do, measured before and after triggering it.
  auto count = [](TConverterForm1& form) { return std::to_string(Tree(form).TopLevelCount()); };
  auto modal = [this](TConverterForm1&) { return std::to_string(modals_.size()); };
  auto opened = [this](TConverterForm1&) {
    return std::to_string(shell_.opened.size() + shell_.shownInFileManager.size());
  };
  auto engineOpens = [](TConverterForm1&) { return std::to_string(FakeFfPreview::Count("Open")); };
  auto order = [](TConverterForm1& form) {
    std::string names;
    for (TaskNode* node : TopLevel(form)) {
      names += form.TaskList().ItemOf(node)->outputName().toStdString() + ",";
    }
    return names;
  };
  auto checks = [](TConverterForm1& form) {
    std::string states;
    for (TaskNode* node : TopLevel(form)) {
      states += std::to_string(static_cast<int>(node->GetCheckState()));
    }
    return states;
  };
  auto play = [](ActionWalkTest&, TConverterForm1& form) { form.actions.PreviewPlay->trigger(); };
  auto none = [](ActionWalkTest&, TConverterForm1&) {};

  const std::vector<Step> steps = {
      {"AddFileAct", none, [this](TConverterForm1&) { return std::to_string(dialogs_.fileChoosers.size()); }},
      {"AddFolderAct", none,
       [this](TConverterForm1&) { return std::to_string(dialogs_.folderTitles.size()); }},
      {"Rename", none,
       [](TConverterForm1& form) {
         // The name's editor, open over the list.
         int editors = 0;
         for (const QLineEdit* editor : form.VstList->findChildren<QLineEdit*>()) {
           editors += editor->isVisible() ? 1 : 0;
         }
         return std::to_string(editors);
       }},
      {"MoveUp", [](ActionWalkTest&, TConverterForm1& form) { FocusOnly(form, {TopLevel(form)[1]}); }, order},
      {"MoveDown", none, order},
      {"Remove", none, count},
      {"ClearAll", none, count},
      {"SelectAll", none,
       [](TConverterForm1& form) {
         int selected = 0;
         for (TaskNode* node : TopLevel(form)) {
           selected += node->Selected() ? 1 : 0;
         }
         return std::to_string(selected);
       }},
      {"ActMerge",
       [](ActionWalkTest&, TConverterForm1& form) {
         FocusOnly(form, {TopLevel(form)[0], TopLevel(form)[1]});
       },
       count},
      {"CheckAll", [](ActionWalkTest&, TConverterForm1& form) { form.actions.UnCheckAll->trigger(); },
       checks},
      {"UnCheckAll", none, checks},
      {"Properties", none, modal},
      {"Trim", none, modal},
      {"Crop", none, modal},
      {"Effect", none, modal},
      {"WatermarkAct", none, modal},
      {"Preferences", none, modal},
      {"Settings", none, modal},
      {"ActApplyToAll",
       [](ActionWalkTest&, TConverterForm1& form) { Choose(form.CmbProfile, QStringLiteral("AVI Video")); },
       order},
      {"StartConvertAct", none,
       [this](TConverterForm1&) { return std::to_string(dialogs_.shown.size() + modals_.size()); }},
      {"PreviewPlay", none, engineOpens},
      {"PreviewStop", play, [](TConverterForm1&) { return std::to_string(FakeFfPreview::Count("Close")); }},
      {"PreviewPrev", [](ActionWalkTest&, TConverterForm1& form) { FocusOnly(form, {TopLevel(form)[1]}); },
       engineOpens},
      {"PreviewNext", none, engineOpens},
      {"SnapShot", play, [](TConverterForm1& form) { return form.lastSnapshot().toStdString(); }},
      {"SnapShotFolder", none, opened},
      {"HelpContent", none, opened},
      {"HomePage", none, opened},
      {"Support", none, opened},
      {"About", none, modal},
      // Buttons of their own.
      {"SBDownloader", none, opened},
      {"SBtnBrowse", none, [this](TConverterForm1&) { return std::to_string(dialogs_.folderTitles.size()); }},
      {"SBtnOpenFolder", none, opened},
      {"SBtnMin", none, [](TConverterForm1& form) { return std::to_string(form.isMinimized()); }},
      // Last: it ends the program.
      {"Exit", none, [](TConverterForm1& form) { return std::to_string(form.isVisible()); }},
  };

  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    // Every modal window the walk opens is noted and closed.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [this] {
      if (QWidget* window = QApplication::activeModalWidget()) {
        modals_.push_back(window->metaObject()->className());
        window->close();
      }
    });
    closer.start(20);

    std::set<std::string> walked;
    for (const Step& step : steps) {
      walked.insert(step.name);
      Fresh(form);
      step.prepare(*this, form);
      form.UpdateActions();
      QAction* action = form.findChild<QAction*>(QString::fromUtf8(step.name));
      auto* button =
          action == nullptr ? form.findChild<TssSkinButton*>(QString::fromUtf8(step.name)) : nullptr;
      ASSERT_TRUE(action != nullptr || button != nullptr) << step.name;
      const bool enabled = action != nullptr ? action->isEnabled() : button->isEnabled();
      if (action != nullptr && !action->isVisible()) {
        EXPECT_FALSE(enabled) << step.name << " is hidden, and so out of reach";
        continue;
      }
      ASSERT_TRUE(enabled) << step.name << " should be enabled here";
      const std::string before = step.before(form);
      if (action != nullptr) {
        action->trigger();
      } else {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
      }
      Idle(60);  // a modal window shows and is closed
      EXPECT_NE(step.before(form), before) << step.name << " did nothing a user could see";
      if (step.name == std::string("Rename")) {
        Tree(form).EndEditNode();
      }
      if (step.name == std::string("SBtnMin")) {
        form.showNormal();
      }
    }
    for (const MainActions::Entry& entry : MainActions::Table()) {
      EXPECT_EQ(walked.count(entry.name), 1u) << entry.name << " is not walked";
    }
    // The windows the walk opened.
    const std::set<std::string> seen(modals_.begin(), modals_.end());
    for (const char* window :
         {"TPropertiesForm1", "TPreferencesForm1", "TAboutForm", "TCropForm1", "TSettingsMuiForm1"}) {
      EXPECT_EQ(seen.count(window), 1u) << window;
    }
  }));
}

}  // namespace
