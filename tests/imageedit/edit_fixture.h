#pragma once

#include <gtest/gtest.h>

#include "components/i_edit.h"
#include "engines/imageedit/image_edit.h"
#include "plug/plug_ptr.h"
#include "tests/fakes/temp_folder.h"
#include "tests/imageedit/edit_test_support.h"

namespace edit_test {

// The component as the program holds it, and a fresh folder for its files.
class EditFixture {
 protected:
  EditFixture() : folder_("kv-edit") { *edit_.Receive() = static_cast<I_Edit*>(CreateImageEdit()); }

  PlugPtr<I_Edit> edit_;
  TempFolder folder_;
};

}  // namespace edit_test
