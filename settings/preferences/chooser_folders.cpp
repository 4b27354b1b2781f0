#include "settings/preferences/chooser_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/mui_context.h"
#include "base/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"
#include "settings/preferences/preference_values.h"

namespace prefs {

namespace {

const char16_t* KeyOf(ChooserPurpose purpose) {
  switch (purpose) {
    case ChooserPurpose::kAddFiles:
      return u"folders\\add_files";
    case ChooserPurpose::kAddFolder:
      return u"folders\\add_folder";
    case ChooserPurpose::kWatermarkPicture:
      return u"folders\\watermark_picture";
  }
  return u"folders\\other";
}

}  // namespace

QString ChooserStartFolder(const QString& remembered, const QString& videos, const QString& home,
                           const std::function<bool(const QString&)>& isFolder) {
  for (const QString& folder : {remembered, videos}) {
    if (!folder.isEmpty() && isFolder(folder)) {
      return folder;
    }
  }
  return home;
}

QString RememberedChooserFolder(const MuiContext& context, ChooserPurpose purpose) {
  PlugPtr<I_SaveOptionXml> store;
  if (!CreateInto(store, kSaveOptionXmlName) || !store->Load(U16(PreferencesFileToRead(context)))) {
    return QString();
  }
  // Copied before the store goes: its text is only valid until the next call on it.
  return QString::fromUtf16(store->GetString(KeyOf(purpose)));
}

bool RememberChooserFolder(const MuiContext& context, ChooserPurpose purpose, const QString& folder) {
  const QString file = PreferencesFileToWrite(context);
  PlugPtr<I_SaveOptionXml> store;
  if (file.isEmpty() || folder.isEmpty() || !CreateInto(store, kSaveOptionXmlName)) {
    return false;
  }
  // The other preferences are kept as they are: a missing file is a first run.
  store->Load(U16(PreferencesFileToRead(context)));
  if (QString::fromUtf16(store->GetString(KeyOf(purpose))) == folder) {
    return true;
  }
  store->SetString(KeyOf(purpose), U16(folder));
  return store->SaveAs(U16(file));
}

QString ChooserStart(const MuiContext& context, ChooserPurpose purpose) {
  return ChooserStartFolder(RememberedChooserFolder(context, purpose),
                            QStandardPaths::writableLocation(QStandardPaths::MoviesLocation),
                            QDir::homePath(),
                            [](const QString& folder) { return QFileInfo(folder).isDir(); });
}

}  // namespace prefs
