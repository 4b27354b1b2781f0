#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "components/i_save_option_xml.h"
#include "engines/optionxml/option_document.h"

// The option store behind "SaveOptionXml". Paths arrive as UTF-16 and are used as UTF-8 file names.
//
// Beyond the interface's contract:
// - Texts are stored as UTF-8, so a lone surrogate in a text or key comes back as U+FFFD.
// - A null key, text or name counts as empty. Keys, paths and the selection follow OptionDocument.
// - Load remembers its path even when it fails. When the file was there but could not be taken in
//   (malformed, too large, unreadable), the first save to that path keeps it as "<name>.bad", so a
//   damaged file of the user's is never silently lost.
// - SaveAs makes its path the one of later Saves only when it succeeds.
// - No exception leaves the object: a failure inside gives the operation's failure result.
class SaveOptionXml final : public I_SaveOptionXml {
 public:
  SaveOptionXml() = default;
  SaveOptionXml(const SaveOptionXml&) = delete;
  SaveOptionXml& operator=(const SaveOptionXml&) = delete;

  bool InitInstance() override { return true; }
  int32_t AddRef() override { return ++refs_; }
  void Release() override;

  bool SaveAs(const char16_t* path) override;
  bool Load(const char16_t* path) override;
  bool Save() override;
  const char16_t* GetString(const char16_t* key) override;
  bool TryGetInt(const char16_t* key, int32_t* out) override;
  bool HasKey(const char16_t* key) override;
  void SetInt(const char16_t* key, int32_t value) override;
  void SetDouble(const char16_t* key, double value) override;
  void SetString(const char16_t* key, const char16_t* text) override;
  int32_t GetInt(const char16_t* key) override;
  double GetDouble(const char16_t* key) override;
  bool RemoveKey(const char16_t* key) override;
  bool FirstRecord(const char16_t* name) override;
  bool NextRecord() override;
  void ClearRecords() override;
  void AddRecord(const char16_t* name) override;

 private:
  ~SaveOptionXml() = default;  // only Release destroys
  bool WriteTo(const std::string& path);

  std::atomic<int32_t> refs_{1};
  optionxml::OptionDocument document_;
  std::string path_;       // empty until a Load or SaveAs names one
  std::string keepOld_;    // the path whose file the next save keeps as "<name>.bad"
  std::u16string result_;  // what GetString handed out last
};

// The factory registered as kSaveOptionXmlName.
I_Plug* CreateSaveOptionXml();
