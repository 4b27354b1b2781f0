#pragma once

#include <cstdint>

#include "plug/i_plug.h"

// The XML option store, registered as "SaveOptionXml". Texts are UTF-16, NUL-terminated.
//
// Key paths: "section\key" addresses a plain setting; while a record is selected, a name without a
// backslash addresses a value of that record. Usual use: Load, reads and writes, Save when something
// was written, Release. After a failed Load the store is empty: reads give empty text, 0 and false.
class I_SaveOptionXml : public I_Plug {
 public:
  // Writes the content to `path` and makes it the path of later Saves.
  virtual bool SaveAs(const char16_t* path) = 0;
  // Replaces the content with the file's; false, with an empty store, when it cannot be read or is
  // not a well-formed option file.
  virtual bool Load(const char16_t* path) = 0;
  // Writes the content to the path of the last Load, creating the file when that Load failed. The
  // old file is replaced atomically.
  virtual bool Save() = 0;
  // Never null; empty when absent. Valid until the next operation on the store.
  virtual const char16_t* GetString(const char16_t* key) = 0;
  // True and *out set when the key holds a decimal 32-bit integer; otherwise *out is unchanged.
  virtual bool TryGetInt(const char16_t* key, int32_t* out) = 0;
  virtual bool HasKey(const char16_t* key) = 0;
  virtual void SetInt(const char16_t* key, int32_t value) = 0;
  virtual void SetDouble(const char16_t* key, double value) = 0;
  virtual void SetString(const char16_t* key, const char16_t* text) = 0;
  // 0 when the key is absent or holds no integer.
  virtual int32_t GetInt(const char16_t* key) = 0;
  // 0.0 when the key is absent or holds no number.
  virtual double GetDouble(const char16_t* key) = 0;
  // True when the key existed.
  virtual bool RemoveKey(const char16_t* key) = 0;
  // Selects the first record called `name`; false when there is none.
  virtual bool FirstRecord(const char16_t* name) = 0;
  // Selects the next record of the selected record's name; false after the last.
  virtual bool NextRecord() = 0;
  // Removes every record, so that what follows rebuilds the list.
  virtual void ClearRecords() = 0;
  // Appends a new, empty record called `name` and selects it.
  virtual void AddRecord(const char16_t* name) = 0;

 protected:
  ~I_SaveOptionXml() = default;
};

inline constexpr char kSaveOptionXmlName[] = "SaveOptionXml";
