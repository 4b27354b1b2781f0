#include "engines/optionxml/save_option_xml.h"

#include <charconv>
#include <limits>
#include <new>
#include <string_view>

#include "components/text_utf.h"
#include "engines/optionxml/option_file.h"

namespace {

std::string ToUtf8(const char16_t* text) {
  return text == nullptr ? std::string() : Utf16ToUtf8(text);
}

// Strict decimal: an optional sign and digits, nothing else, within 32 bits.
bool ParseInt32(std::string_view text, int32_t& out) {
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return false;
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > kLimit) {
      return false;
    }
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) {
    return false;
  }
  out = static_cast<int32_t>(value);
  return true;
}

// The whole text must be a number in the form SetDouble writes; locale plays no part.
bool ParseDouble(std::string_view text, double& out) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

void SaveOptionXml::Release() {
  if (--refs_ == 0) {
    delete this;
  }
}

bool SaveOptionXml::WriteTo(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  const bool keepOld = !keepOld_.empty() && keepOld_ == path;
  if (!optionxml::ReplaceFile(path, document_.Serialize(), keepOld)) {
    return false;
  }
  if (keepOld) {
    keepOld_.clear();
  }
  return true;
}

bool SaveOptionXml::SaveAs(const char16_t* path) {
  try {
    std::string target = ToUtf8(path);
    if (!WriteTo(target)) {
      return false;
    }
    path_ = std::move(target);
    return true;
  } catch (...) {
    return false;
  }
}

bool SaveOptionXml::Load(const char16_t* path) {
  try {
    document_.Clear();
    keepOld_.clear();
    path_ = ToUtf8(path);
    if (path_.empty()) {
      return false;
    }
    optionxml::RemoveLeftoverSaves(path_);
    std::string bytes;
    const optionxml::ReadResult read =
        optionxml::ReadSmallFile(path_, optionxml::OptionDocument::kMaxBytes, bytes);
    if (read == optionxml::ReadResult::kRead && document_.Parse(bytes)) {
      return true;
    }
    if (read != optionxml::ReadResult::kMissing) {
      keepOld_ = path_;
    }
    return false;
  } catch (...) {
    document_.Clear();
    return false;
  }
}

bool SaveOptionXml::Save() {
  try {
    return WriteTo(path_);
  } catch (...) {
    return false;
  }
}

const char16_t* SaveOptionXml::GetString(const char16_t* key) {
  try {
    const std::string* text = document_.Find(ToUtf8(key));
    result_ = text == nullptr ? std::u16string() : Utf8ToUtf16(*text);
    return result_.c_str();
  } catch (...) {
    return u"";
  }
}

bool SaveOptionXml::TryGetInt(const char16_t* key, int32_t* out) {
  try {
    const std::string* text = document_.Find(ToUtf8(key));
    int32_t value = 0;
    if (text == nullptr || out == nullptr || !ParseInt32(*text, value)) {
      return false;
    }
    *out = value;
    return true;
  } catch (...) {
    return false;
  }
}

bool SaveOptionXml::HasKey(const char16_t* key) {
  try {
    return document_.Find(ToUtf8(key)) != nullptr;
  } catch (...) {
    return false;
  }
}

void SaveOptionXml::SetInt(const char16_t* key, int32_t value) {
  try {
    document_.Set(ToUtf8(key), std::to_string(value));
  } catch (...) {
  }
}

void SaveOptionXml::SetDouble(const char16_t* key, double value) {
  try {
    // The shortest form that reads back as the same double.
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error == std::errc()) {
      document_.Set(ToUtf8(key), std::string_view(buffer, static_cast<size_t>(end - buffer)));
    }
  } catch (...) {
  }
}

void SaveOptionXml::SetString(const char16_t* key, const char16_t* text) {
  try {
    document_.Set(ToUtf8(key), ToUtf8(text));
  } catch (...) {
  }
}

int32_t SaveOptionXml::GetInt(const char16_t* key) {
  int32_t value = 0;
  return TryGetInt(key, &value) ? value : 0;
}

double SaveOptionXml::GetDouble(const char16_t* key) {
  try {
    const std::string* text = document_.Find(ToUtf8(key));
    double value = 0.0;
    return text != nullptr && ParseDouble(*text, value) ? value : 0.0;
  } catch (...) {
    return 0.0;
  }
}

bool SaveOptionXml::RemoveKey(const char16_t* key) {
  try {
    return document_.Remove(ToUtf8(key));
  } catch (...) {
    return false;
  }
}

bool SaveOptionXml::FirstRecord(const char16_t* name) {
  try {
    return document_.FirstRecord(ToUtf8(name));
  } catch (...) {
    return false;
  }
}

bool SaveOptionXml::NextRecord() {
  return document_.NextRecord();
}

void SaveOptionXml::ClearRecords() {
  document_.ClearRecords();
}

void SaveOptionXml::AddRecord(const char16_t* name) {
  try {
    document_.AddRecord(ToUtf8(name));
  } catch (...) {
  }
}

I_Plug* CreateSaveOptionXml() {
  return new (std::nothrow) SaveOptionXml();
}
