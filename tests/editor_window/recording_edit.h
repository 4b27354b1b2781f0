#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "components/i_edit.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"

// A picture component that records the texts it is asked to draw and answers from a script; it writes
// no file. Registered under "Edit" while a RecordingEditRegistration lives (one at a time).
struct RenderCall {
  QString text;
  QString path;
  QString font;
  uint32_t colour = 0;
};

class RecordingEditRegistration {
 public:
  RecordingEditRegistration() {
    if (current_ == nullptr && registrar_.Registered()) {
      current_ = this;
    }
  }
  ~RecordingEditRegistration() {
    if (current_ == this) {
      current_ = nullptr;
    }
  }
  RecordingEditRegistration(const RecordingEditRegistration&) = delete;
  RecordingEditRegistration& operator=(const RecordingEditRegistration&) = delete;

  bool Registered() const { return current_ == this; }

  bool result = true;  // what RenderText answers
  std::vector<RenderCall> renders;

 private:
  class Edit final : public I_Edit {
   public:
    bool InitInstance() override { return true; }
    int32_t AddRef() override { return ++refs_; }
    void Release() override {
      if (--refs_ == 0) {
        delete this;
      }
    }
    void Reserved1() override {}
    void Reserved2() override {}
    void Reserved3() override {}
    bool ConvertImage(const char16_t*, const char16_t*) override { return false; }
    bool RenderText(const char16_t* text, const char16_t* path, const char16_t* font,
                    uint32_t colour) override {
      if (current_ == nullptr) {
        return false;
      }
      current_->renders.push_back(
          {QString::fromUtf16(text), QString::fromUtf16(path), QString::fromUtf16(font), colour});
      return current_->result;
    }

   private:
    ~Edit() = default;
    int32_t refs_ = 1;
  };

  static I_Plug* Make() { return current_ != nullptr ? new Edit : nullptr; }

  inline static RecordingEditRegistration* current_ = nullptr;
  AutoReg registrar_{kEditName, &Make};
};
