#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "components/i_edit.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "tests/fakes/temp_folder.h"
#include "tests/imageedit/edit_test_support.h"

namespace {

using namespace edit_test;

// The built module, loaded the way the host loads it, registers "Edit" for as long as it is loaded,
// and the component it makes converts and draws through its own copy of the code.
TEST(ImageEditModule, CreatesTheEditComponentByName) {
  const char* binDir = std::getenv("KV_BIN_DIR");
  const std::string modulePath =
      std::string(binDir != nullptr ? binDir : KV_TEST_BIN_DIR) + "/plugins/libimageedit.so";
  TempFolder folder("kv-edit-module");
  const fs::path snapshot = folder.path() / "shot_1.bmp";
  ASSERT_TRUE(BlockPicture().save(Q(snapshot), "bmp"));

  ASSERT_EQ(CreateComponent(kEditName), nullptr);
  void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << ::dlerror();
  {
    PlugPtr<I_Edit> edit;
    ASSERT_TRUE(CreateInto(edit, kEditName));
    EXPECT_TRUE(edit->ConvertImage(U16(Q(snapshot)), u"gif"));
    EXPECT_EQ(DecodedByEngine(folder.path() / "shot_1.gif").size(), BlockPicture().size());
    const fs::path text = folder.path() / "TxtImg0.bmp";
    EXPECT_TRUE(
        edit->RenderText(u"Kestrelvine", U16(Q(text)), u"DejaVu Sans,20,-1,5,400,0,0,0,0,0", 0x336699));
    bool hasAlpha = false;
    EXPECT_FALSE(DecodedByEngine(text, &hasAlpha).isNull());
    EXPECT_TRUE(hasAlpha);
    EXPECT_FALSE(edit->ConvertImage(nullptr, u"png"));
  }
  ASSERT_EQ(::dlclose(module), 0);
  EXPECT_EQ(CreateComponent(kEditName), nullptr) << "the entry goes with the module";
}

}  // namespace
