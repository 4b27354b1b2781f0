// Saves a picture of the clip editor while it plays a generated clip through the program's own engine,
// with a crop, a brightness change and a text watermark set:
//   KV_EDITOR_SCREENSHOT=/tmp/editor.png KV_BIN_DIR=... KV_SOURCE_DIR=... QT_QPA_PLATFORM=xcb DISPLAY=...
//   editor_screenshot
// Not a test: it checks nothing and is not registered with CTest.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "editor/editor_window.h"
#include "tests/convert_engine/media_maker.h"
#include "tests/mainwin/main_window_test_support.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace mainwin_test {
namespace {

class EditorPicture : public MainWindowTest {
 protected:
  bool UsesFakeEngine() const override { return false; }
};

TEST_F(EditorPicture, Save) {
  const QByteArray target = qgetenv("KV_EDITOR_SCREENSHOT");
  ASSERT_FALSE(target.isEmpty()) << "set KV_EDITOR_SCREENSHOT to the file to write";
  for (const auto& [file, component] :
       {std::pair{"libffengine.so", kFfPreviewName}, std::pair{"libimageedit.so", kEditName}}) {
    const std::string path = std::string(std::getenv("KV_BIN_DIR")) + "/plugins/" + file;
    ASSERT_NE(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL), nullptr) << dlerror();
  }
  media_maker::ClipPlan plan;
  plan.width = 640;
  plan.height = 360;
  plan.seconds = 10.0;
  const QString clip = media_.path() + "/Holiday at the lake.mkv";
  ASSERT_TRUE(media_maker::MakeClip(clip.toStdString(), plan));

  EXPECT_TRUE(Run([&](TConverterForm1& form) {
    AddThroughDialog(form, {clip});
    FocusOnly(form, {TopLevel(form)[0]});
    form.UpdateActions();
    QTimer::singleShot(300, [&] {
      auto* editor = qobject_cast<TCropForm1*>(QApplication::activeModalWidget());
      ASSERT_NE(editor, nullptr);
      editor->UpDownLeft->setValue(80);
      editor->UpDownBottom->setValue(40);
      emit editor->SPBrightness->OnProcessChange(65);
      QTest::mouseClick(editor->ssSBMark, Qt::LeftButton, {}, QPoint(3, 3));
      editor->EnableWatermark->click();
      editor->rbText->click();
      QTest::keyClicks(editor->edtText, "Lake 2026");
      editor->UpDownHori->setValue(16);
      editor->UpDownVert->setValue(12);
      QTimer::singleShot(2500, [editor, target] {
        editor->grab().save(QString::fromUtf8(target));
        editor->reject();
      });
    });
    form.actions.WatermarkAct->trigger();
  }));
}

}  // namespace
}  // namespace mainwin_test
