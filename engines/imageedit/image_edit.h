#pragma once

#include <atomic>
#include <cstdint>

#include "components/i_edit.h"

// The picture component behind "Edit": snapshot conversion (convert_image.h) and watermark texts
// (render_text.h). Every file it writes appears whole or not at all, and a source is never written
// over. Null texts or paths give false; no exception leaves an operation.
class ImageEdit final : public I_Edit {
 public:
  ImageEdit() = default;
  ImageEdit(const ImageEdit&) = delete;
  ImageEdit& operator=(const ImageEdit&) = delete;

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;

  void Reserved1() override {}
  void Reserved2() override {}
  void Reserved3() override {}
  bool ConvertImage(const char16_t* path, const char16_t* type) override;
  bool RenderText(const char16_t* text, const char16_t* path, const char16_t* font, uint32_t colour) override;

 private:
  ~ImageEdit() = default;  // only Release destroys

  std::atomic<int32_t> refs_{1};
};

// The factory registered as kEditName.
I_Plug* CreateImageEdit();
