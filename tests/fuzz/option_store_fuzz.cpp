// libFuzzer target for the option store's file format; built and run by scripts/fuzz-option-store.
//
// Two properties:
// - Whatever the parser accepts, the writer writes in a form the parser accepts again, and the
//   written form is a fixed point: writing what was read back gives the same bytes.
// - Any UTF-16 text and key, set and written, read back give the same text, except that a lone
//   surrogate becomes U+FFFD.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "components/text_utf.h"
#include "engines/optionxml/option_document.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "option store property broken: %s\n", what);
  std::abort();
}

// Independent of the converter under test: works on UTF-16 code units only.
std::u16string WithoutLoneSurrogates(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      out += c;
      out += text[++i];
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out += u'\uFFFD';
    } else {
      out += c;
    }
  }
  return out;
}

void CheckDocument(std::string_view input) {
  optionxml::OptionDocument document;
  if (!document.Parse(input)) {
    return;
  }
  const std::string save1 = document.Serialize();
  optionxml::OptionDocument again;
  if (!again.Parse(save1)) {
    Fail("a written document is refused");
  }
  if (again.Serialize() != save1) {
    Fail("writing a read document changes it");
  }
}

// The input as UTF-16 code units: the first byte says how many of them form the key, the rest is
// the text. Both end at a NUL, as the interface's texts do.
void CheckText(const uint8_t* data, size_t size) {
  if (size == 0) {
    return;
  }
  std::u16string units;
  for (size_t i = 1; i + 1 < size; i += 2) {
    units += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  const size_t keyLength = std::min<size_t>(data[0] % 16, units.size());
  std::u16string key = units.substr(0, keyLength);
  std::u16string text = units.substr(keyLength);
  key = key.substr(0, key.find(u'\0'));
  text = text.substr(0, text.find(u'\0'));

  const std::string key8 = Utf16ToUtf8(key);
  const std::string text8 = Utf16ToUtf8(text);
  const std::string sectionPath = "section\\" + key8;
  // A backslash would make the key a section path; the record's key is the same key without one.
  std::string recordKey = key8;
  std::replace(recordKey.begin(), recordKey.end(), '\\', '/');
  optionxml::OptionDocument document;
  const bool stored = document.Set(sectionPath, text8);
  if (stored == key.empty()) {
    Fail("Set must store exactly the texts with a key");
  }
  if (!document.AddRecord(text8) || document.Set(recordKey, text8) != stored) {
    Fail("a record cannot take a text");
  }

  optionxml::OptionDocument reread;
  if (!reread.Parse(document.Serialize())) {
    Fail("a document with a set text is refused");
  }
  if (!stored) {
    return;
  }
  const std::u16string expected = WithoutLoneSurrogates(text);
  const std::string* back = reread.Find(sectionPath);
  if (back == nullptr || Utf8ToUtf16(*back) != expected) {
    Fail("a section's text did not come back");
  }
  if (!reread.FirstRecord(text8)) {
    Fail("a record's name did not come back");
  }
  back = reread.Find(recordKey);
  if (back == nullptr || Utf8ToUtf16(*back) != expected) {
    Fail("a record's text did not come back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckDocument(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckText(data, size);
  return 0;
}
