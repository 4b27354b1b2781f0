#include "engines/optionxml/option_document.h"

#include <cstring>
#include <unordered_set>
#include <utility>

#include <pugixml.hpp>

#include "components/text_utf.h"

namespace optionxml {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Literal white space inside an attribute becomes a blank, as XML wants of a hand-edited file;
// escaped characters are kept, which is how every CR, LF and TAB is written. With parse_doctype a
// DOCTYPE shows up as a node, so it can be refused rather than silently skipped. Comments and
// processing instructions are skipped. CDATA is parsed so that it is refused like any other text;
// parse_fragment is what keeps text after the root element, which is otherwise dropped unseen.
constexpr unsigned kParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                 pugi::parse_wconv_attribute | pugi::parse_doctype | pugi::parse_fragment;

// "&#0;" or "&#x00;": the parser stores the NUL and the text silently ends there.
bool RefersToNul(std::string_view xml) {
  for (size_t at = xml.find("&#"); at != std::string_view::npos; at = xml.find("&#", at + 2)) {
    size_t pos = at + 2;
    if (pos < xml.size() && (xml[pos] == 'x' || xml[pos] == 'X')) {
      ++pos;
    }
    const size_t digits = pos;
    while (pos < xml.size() && xml[pos] == '0') {
      ++pos;
    }
    if (pos > digits && pos < xml.size() && xml[pos] == ';') {
      return true;
    }
  }
  return false;
}

bool IsStorable(std::string_view text) {
  // The writer stops at a NUL, so a text holding one could not come back.
  return text.find('\0') == std::string_view::npos && IsValidUtf8(text);
}

bool Named(const pugi::xml_node& node, const char* name) {
  return std::strcmp(node.name(), name) == 0;
}
bool Named(const pugi::xml_attribute& attribute, const char* name) {
  return std::strcmp(attribute.name(), name) == 0;
}

// A character reference may name a surrogate or a value beyond Unicode, which the parser encodes as
// is; such a text would make the file unreadable once written again.
bool ReadText(const pugi::xml_attribute& attribute, std::string& out) {
  out = attribute.value();
  return IsValidUtf8(out);
}

// <section> or <record>: exactly a name attribute, then only <value key text/> children.
bool ReadGroup(const pugi::xml_node& node, OptionDocument::Group& group) {
  const pugi::xml_attribute name = node.first_attribute();
  if (!name || !Named(name, "name") || name.next_attribute() || !ReadText(name, group.name)) {
    return false;
  }
  std::unordered_set<std::string_view> keys;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element || !Named(child, "value") || child.first_child()) {
      return false;
    }
    pugi::xml_attribute key;
    pugi::xml_attribute text;
    int count = 0;
    for (const pugi::xml_attribute& attribute : child.attributes()) {
      ++count;
      if (Named(attribute, "key")) {
        key = attribute;
      } else if (Named(attribute, "text")) {
        text = attribute;
      }
    }
    // The count also catches an attribute given twice, which the parser lets through.
    if (count != 2 || !key || !text || *key.value() == '\0' || !keys.insert(key.value()).second) {
      return false;
    }
    OptionDocument::Setting setting;
    if (!ReadText(key, setting.key) || !ReadText(text, setting.text)) {
      return false;
    }
    group.settings.push_back(std::move(setting));
  }
  return true;
}

class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string& out) : out_(out) {}
  void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

 private:
  std::string& out_;
};

void WriteGroup(pugi::xml_node parent, const char* element, const OptionDocument::Group& group) {
  pugi::xml_node node = parent.append_child(element);
  node.append_attribute("name").set_value(group.name.c_str());
  for (const OptionDocument::Setting& setting : group.settings) {
    pugi::xml_node value = node.append_child("value");
    value.append_attribute("key").set_value(setting.key.c_str());
    value.append_attribute("text").set_value(setting.text.c_str());
  }
}

}  // namespace

bool OptionDocument::Parse(std::string_view xml) {
  if (xml.size() > kMaxBytes) {
    return false;
  }
  if (xml.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    xml.remove_prefix(kUtf8Bom.size());
  }
  // The parser takes a NUL for the end of its input, which would hide whatever follows it.
  if (xml.find('\0') != std::string_view::npos || !IsValidUtf8(xml) || RefersToNul(xml)) {
    return false;
  }
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size(), kParseFlags, pugi::encoding_utf8)) {
    return false;
  }
  pugi::xml_node root;
  for (const pugi::xml_node& node : doc.children()) {
    if (node.type() != pugi::node_element || root) {
      return false;
    }
    root = node;
  }
  if (!root || !Named(root, "options") || root.first_attribute()) {
    return false;
  }

  // The layout has a fixed depth, so these loops are the whole walk; anything deeper is refused at
  // the level where it starts.
  std::vector<Group> sections;
  std::vector<Group> records;
  std::unordered_set<std::string_view> sectionNames;
  for (const pugi::xml_node& node : root.children()) {
    if (node.type() != pugi::node_element) {
      return false;
    }
    const bool isSection = Named(node, "section");
    if (!isSection && !Named(node, "record")) {
      return false;
    }
    Group group;
    if (!ReadGroup(node, group)) {
      return false;
    }
    if (isSection) {
      if (!sectionNames.insert(node.attribute("name").value()).second) {
        return false;
      }
      sections.push_back(std::move(group));
    } else {
      records.push_back(std::move(group));
    }
  }
  sections_ = std::move(sections);
  records_ = std::move(records);
  selected_ = kNoRecord;
  return true;
}

std::string OptionDocument::Serialize() const {
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  pugi::xml_node root = doc.append_child("options");
  for (const Group& section : sections_) {
    WriteGroup(root, "section", section);
  }
  for (const Group& record : records_) {
    WriteGroup(root, "record", record);
  }
  std::string out;
  StringWriter writer(out);
  doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
  return out;
}

void OptionDocument::Clear() {
  sections_.clear();
  records_.clear();
  selected_ = kNoRecord;
}

OptionDocument::Address OptionDocument::Resolve(std::string_view path) const {
  const size_t slash = path.find('\\');
  if (slash == std::string_view::npos) {
    return {selected_ != kNoRecord, {}, path};
  }
  return {false, path.substr(0, slash), path.substr(slash + 1)};
}

OptionDocument::Group* OptionDocument::FindSection(std::string_view name) {
  for (Group& section : sections_) {
    if (section.name == name) {
      return &section;
    }
  }
  return nullptr;
}

OptionDocument::Group* OptionDocument::FindGroup(const Address& address) {
  return address.inRecord ? &records_[selected_] : FindSection(address.section);
}

const OptionDocument::Group* OptionDocument::FindGroup(const Address& address) const {
  return const_cast<OptionDocument*>(this)->FindGroup(address);
}

const std::string* OptionDocument::Find(std::string_view path) const {
  const Address address = Resolve(path);
  const Group* group = address.key.empty() ? nullptr : FindGroup(address);
  if (group == nullptr) {
    return nullptr;
  }
  for (const Setting& setting : group->settings) {
    if (setting.key == address.key) {
      return &setting.text;
    }
  }
  return nullptr;
}

bool OptionDocument::Set(std::string_view path, std::string_view text) {
  const Address address = Resolve(path);
  if (address.key.empty() || !IsStorable(path) || !IsStorable(text)) {
    return false;
  }
  Group* group = FindGroup(address);
  if (group == nullptr) {
    group = &sections_.emplace_back(Group{std::string(address.section), {}});
  }
  for (Setting& setting : group->settings) {
    if (setting.key == address.key) {
      setting.text = text;
      return true;
    }
  }
  group->settings.push_back({std::string(address.key), std::string(text)});
  return true;
}

bool OptionDocument::Remove(std::string_view path) {
  const Address address = Resolve(path);
  Group* group = address.key.empty() ? nullptr : FindGroup(address);
  if (group == nullptr) {
    return false;
  }
  for (auto it = group->settings.begin(); it != group->settings.end(); ++it) {
    if (it->key == address.key) {
      group->settings.erase(it);
      if (!address.inRecord && group->settings.empty()) {
        sections_.erase(sections_.begin() + (group - sections_.data()));
      }
      return true;
    }
  }
  return false;
}

bool OptionDocument::FirstRecord(std::string_view name) {
  selected_ = kNoRecord;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].name == name) {
      selected_ = i;
      return true;
    }
  }
  return false;
}

bool OptionDocument::NextRecord() {
  if (selected_ == kNoRecord) {
    return false;
  }
  const std::string& name = records_[selected_].name;
  for (size_t i = selected_ + 1; i < records_.size(); ++i) {
    if (records_[i].name == name) {
      selected_ = i;
      return true;
    }
  }
  selected_ = kNoRecord;
  return false;
}

void OptionDocument::ClearRecords() {
  records_.clear();
  selected_ = kNoRecord;
}

bool OptionDocument::AddRecord(std::string_view name) {
  if (!IsStorable(name)) {
    selected_ = kNoRecord;
    return false;
  }
  records_.push_back(Group{std::string(name), {}});
  selected_ = records_.size() - 1;
  return true;
}

}  // namespace optionxml
