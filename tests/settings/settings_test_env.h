#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "components/i_save_option_xml.h"
#include "engines/optionxml/option_document.h"
#include "engines/optionxml/save_option_xml.h"
#include "plug/plug_table.h"
#include "settings/catalogue.h"
#include "tests/app/context_test_env.h"

namespace settings_test {

// The keys and texts of one option-file record, in order.
using Values = std::vector<std::pair<QString, QString>>;

inline QByteArray RecordsXml(const char* name, const std::vector<Values>& records) {
  QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<options>\n";
  for (const Values& record : records) {
    xml += QByteArray("  <record name=\"") + name + "\">\n";
    for (const auto& [key, text] : record) {
      xml += "    <value key=\"" + key.toHtmlEscaped().toUtf8() + "\" text=\"" +
             text.toHtmlEscaped().toUtf8() + "\"/>\n";
    }
    xml += "  </record>\n";
  }
  return xml + "</options>\n";
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The records of an option file as the store keeps them; empty when the file cannot be parsed.
inline std::vector<optionxml::OptionDocument::Group> RecordsOf(const QString& path) {
  optionxml::OptionDocument document;
  if (!document.Parse(ReadAll(path).toStdString())) {
    return {};
  }
  return document.Records();
}

// A product under a fresh temporary folder with an empty "Profile" folder and the option store
// registered in-process, as the module finds it.
class CatalogueTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(ProfileFolder()));
  }

  QString ProfileFolder() const { return context_.productFolder + "Profile/"; }
  QString GroupFile() const { return context_.productFolder + kProfileGroupFile; }
  QString FactoryFile() const { return context_.productFolder + kFactoryProfileFile; }
  // The program's own writing lives in the user's data folder, at the product-relative path.
  QString UserFolder() const { return Root("home/.local/share/Tolvermax Studio/Video Converter/"); }
  QString UserFile() const { return UserFolder() + kUserProfileFile; }
  // A user profile file the product itself ships: the default until the user has a copy.
  QString ShippedUserFile() const { return context_.productFolder + kUserProfileFile; }

  // Groups 1 "Video", 2 "Audio" and the user group 9 "Mine".
  void WriteStandardGroups() {
    WriteGroups({{{"GroupId", "1"}, {"GroupName", "Video"}},
                 {{"GroupId", "2"}, {"GroupName", "Audio"}},
                 {{"GroupId", "9"}, {"GroupName", "Mine"}, {"UserGroup", "1"}}});
  }
  void WriteGroups(const std::vector<Values>& groups) {
    WriteFile(GroupFile(), RecordsXml("ProfileGroup", groups));
  }
  void WriteFactory(const std::vector<Values>& profiles) {
    WriteFile(FactoryFile(), RecordsXml("Profile", profiles));
  }
  void WriteUser(const std::vector<Values>& profiles) {
    WriteFile(UserFile(), RecordsXml("Profile", profiles));
  }

  // A profile record with a name and groups and, when given, a number.
  static Values Profile(const QString& name, const QString& groups, std::optional<int> id = std::nullopt) {
    Values values;
    if (id) {
      values.emplace_back("ProfileId", QString::number(*id));
    }
    values.emplace_back("Groups", groups);
    values.emplace_back("ProfileName", name);
    return values;
  }

  // The numbers of the loaded profiles, in catalogue order.
  static QList<int32_t> Ids(const ConverterSettings& catalogue) {
    QList<int32_t> ids;
    for (int i = 0; i < catalogue.ProfileCount(); ++i) {
      ids.append(catalogue.ProfileAt(i)->ProfileId);
    }
    return ids;
  }
  static QStringList Names(const ConverterSettings& catalogue) {
    QStringList names;
    for (int i = 0; i < catalogue.ProfileCount(); ++i) {
      names.append(catalogue.ProfileAt(i)->ProfileName);
    }
    return names;
  }
  static ProfileSetting* Named(const ConverterSettings& catalogue, const QString& name) {
    for (int i = 0; i < catalogue.ProfileCount(); ++i) {
      if (catalogue.ProfileAt(i)->ProfileName == name) {
        return catalogue.ProfileAt(i);
      }
    }
    return nullptr;
  }
  // The "ProfileName" values of the user file's records, in file order.
  QStringList UserFileNames() const {
    QStringList names;
    for (const auto& record : RecordsOf(UserFile())) {
      for (const auto& setting : record.settings) {
        if (setting.key == "ProfileName") {
          names.append(QString::fromStdString(setting.text));
        }
      }
    }
    return names;
  }

  std::optional<AutoReg> registrar_{std::in_place, kSaveOptionXmlName, &CreateSaveOptionXml};
};

}  // namespace settings_test
