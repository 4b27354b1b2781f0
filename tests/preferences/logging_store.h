#pragma once

#include <QString>
#include <QStringList>

#include "components/i_save_option_xml.h"
#include "engines/optionxml/save_option_xml.h"

// The real option store, with every write, Save and the store's life recorded, so that tests see
// what reached the store and in which order. Register LoggingStore::Create as "SaveOptionXml".
class LoggingStore final : public I_SaveOptionXml {
 public:
  // What happened, in order: "SetString <key>=<text>", "SetInt <key>=<n>", "Save", ...
  static QStringList& Log() {
    static QStringList log;
    return log;
  }
  // Stores alive right now.
  static int& Alive() {
    static int alive = 0;
    return alive;
  }

  static I_Plug* Create() { return new LoggingStore(); }

  bool InitInstance() override { return inner_->InitInstance(); }
  int32_t AddRef() override { return ++refs_; }
  void Release() override {
    if (--refs_ == 0) {
      delete this;
    }
  }
  bool SaveAs(const char16_t* path) override {
    Log() << QStringLiteral("SaveAs");
    return inner_->SaveAs(path);
  }
  bool Load(const char16_t* path) override { return inner_->Load(path); }
  bool Save() override {
    Log() << QStringLiteral("Save");
    return inner_->Save();
  }
  const char16_t* GetString(const char16_t* key) override { return inner_->GetString(key); }
  bool TryGetInt(const char16_t* key, int32_t* out) override { return inner_->TryGetInt(key, out); }
  bool HasKey(const char16_t* key) override { return inner_->HasKey(key); }
  void SetInt(const char16_t* key, int32_t value) override {
    Log() << QStringLiteral("SetInt %1=%2").arg(QString::fromUtf16(key)).arg(value);
    inner_->SetInt(key, value);
  }
  void SetDouble(const char16_t* key, double value) override {
    Log() << QStringLiteral("SetDouble %1=%2").arg(QString::fromUtf16(key)).arg(value);
    inner_->SetDouble(key, value);
  }
  void SetString(const char16_t* key, const char16_t* text) override {
    Log() << QStringLiteral("SetString %1=%2").arg(QString::fromUtf16(key), QString::fromUtf16(text));
    inner_->SetString(key, text);
  }
  int32_t GetInt(const char16_t* key) override { return inner_->GetInt(key); }
  double GetDouble(const char16_t* key) override { return inner_->GetDouble(key); }
  bool RemoveKey(const char16_t* key) override {
    Log() << QStringLiteral("RemoveKey %1").arg(QString::fromUtf16(key));
    return inner_->RemoveKey(key);
  }
  bool FirstRecord(const char16_t* name) override { return inner_->FirstRecord(name); }
  bool NextRecord() override { return inner_->NextRecord(); }
  void ClearRecords() override {
    Log() << QStringLiteral("ClearRecords");
    inner_->ClearRecords();
  }
  void AddRecord(const char16_t* name) override {
    Log() << QStringLiteral("AddRecord");
    inner_->AddRecord(name);
  }

 private:
  LoggingStore() : inner_(static_cast<I_SaveOptionXml*>(CreateSaveOptionXml())) { ++Alive(); }
  ~LoggingStore() {
    inner_->Release();
    --Alive();
  }

  I_SaveOptionXml* inner_;
  int32_t refs_ = 1;
};
