#include "engines/imageedit/image_edit.h"

#include <QString>
#include <new>

#include "engines/imageedit/convert_image.h"
#include "engines/imageedit/render_text.h"

namespace {

QString FromUtf16(const char16_t* text) {
  return QString::fromUtf16(text);
}

}  // namespace

void ImageEdit::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

bool ImageEdit::ConvertImage(const char16_t* path, const char16_t* type) {
  if (path == nullptr || type == nullptr) {
    return false;
  }
  try {
    return imageedit::ConvertPicture(FromUtf16(path), FromUtf16(type));
  } catch (...) {
    return false;
  }
}

bool ImageEdit::RenderText(const char16_t* text, const char16_t* path, const char16_t* font,
                           uint32_t colour) {
  if (text == nullptr || path == nullptr || font == nullptr) {
    return false;
  }
  try {
    return imageedit::RenderTextPicture(FromUtf16(text), FromUtf16(path), FromUtf16(font), colour);
  } catch (...) {
    return false;
  }
}

I_Plug* CreateImageEdit() {
  return new (std::nothrow) ImageEdit();
}
