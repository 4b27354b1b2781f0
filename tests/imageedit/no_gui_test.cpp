#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <filesystem>

#include "components/i_edit.h"
#include "engines/imageedit/image_edit.h"
#include "plug/plug_ptr.h"
#include "tests/fakes/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char16_t* U16(const QString& text) {
  return reinterpret_cast<const char16_t*>(text.utf16());
}

// This program has no QGuiApplication: fonts cannot be reached, and a text refuses instead of taking
// the process down. A console-only application object does not change that.
TEST(ImageEditWithoutGui, TextIsRefusedAndNothingIsWritten) {
  ASSERT_EQ(QCoreApplication::instance(), nullptr);
  PlugPtr<I_Edit> edit;
  *edit.Receive() = static_cast<I_Edit*>(CreateImageEdit());
  TempFolder folder("kv-edit-nogui");
  const QString path = QString::fromStdString((folder.path() / "TxtImg0.bmp").string());

  EXPECT_FALSE(edit->RenderText(u"Watermark", U16(path), u"DejaVu Sans,20,-1,5,400,0,0,0,0,0", 0xFF0000));
  {
    int argc = 1;
    char name[] = "kestrelvine_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication console(argc, argv);
    EXPECT_FALSE(edit->RenderText(u"Watermark", U16(path), u"", 0xFF0000));
  }
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

}  // namespace
