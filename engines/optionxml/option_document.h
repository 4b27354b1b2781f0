#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace optionxml {

// The content of an option file: named sections of settings, then an ordered list of records. A
// record has a name, which need not be unique, and its own settings. Settings keep their order.
// Texts are UTF-8; the class refuses anything else, so that every Serialize can be parsed again.
//
// The file layout (element and attribute names are fixed; every text sits in an attribute, where
// the writer escapes each control character, so CR, LF and TAB survive unchanged):
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <options>
//     <section name="general">
//       <value key="destination" text="/home/me/Videos" />
//     </section>
//     <record name="Group">
//       <value key="GroupId" text="1" />
//     </record>
//   </options>
//
// Key paths: "section\key" splits at the first backslash, so a key may hold further backslashes.
// A path without a backslash addresses the selected record, or, when no record is selected, the
// section whose name is empty ("\key" names that same setting explicitly). A path whose key is empty
// addresses nothing: it reads as absent and cannot be written.
//
// Parse is all-or-nothing and strict: one <options> root, only the elements and attributes above,
// no DOCTYPE, no text between elements, every setting with both attributes and a non-empty key, no
// key twice in one section or record, no section name twice. A malformed file is refused rather
// than half taken in.
class OptionDocument {
 public:
  struct Setting {
    std::string key;
    std::string text;
  };
  struct Group {
    std::string name;
    std::vector<Setting> settings;
  };

  // Larger input is refused unread: option files are small, and the bound keeps a hostile file
  // from costing much memory.
  static constexpr size_t kMaxBytes = 4 * 1024 * 1024;

  // Replaces the content when `xml` is a well-formed option file (a UTF-8 byte-order mark is
  // accepted); otherwise returns false and changes nothing. Drops the record selection on success.
  bool Parse(std::string_view xml);
  // UTF-8, indented, without a byte-order mark; sections first, then records, each in order.
  std::string Serialize() const;
  void Clear();

  // Null when absent. Valid until the content changes.
  const std::string* Find(std::string_view path) const;
  // Creates or replaces; false (nothing changed) for an empty key, or a path or text that is not
  // well-formed UTF-8 or holds a NUL.
  bool Set(std::string_view path, std::string_view text);
  // True when the setting existed. A section left without settings goes with it.
  bool Remove(std::string_view path);

  // A failed FirstRecord or NextRecord leaves no record selected.
  bool FirstRecord(std::string_view name);
  bool NextRecord();
  void ClearRecords();
  // Appends an empty record and selects it; false, with no record selected, for a name that is not
  // well-formed UTF-8.
  bool AddRecord(std::string_view name);

  const std::vector<Group>& Sections() const { return sections_; }
  const std::vector<Group>& Records() const { return records_; }

 private:
  static constexpr size_t kNoRecord = static_cast<size_t>(-1);

  struct Address {
    bool inRecord;
    std::string_view section;
    std::string_view key;
  };
  Address Resolve(std::string_view path) const;
  Group* FindSection(std::string_view name);
  Group* FindGroup(const Address& address);
  const Group* FindGroup(const Address& address) const;

  std::vector<Group> sections_;
  std::vector<Group> records_;
  size_t selected_ = kNoRecord;
};

}  // namespace optionxml
