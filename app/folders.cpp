#include "app/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>

#include "app/mui_context.h"
#include "app/qt_text.h"
#include "components/i_save_option_xml.h"
#include "plug/plug_ptr.h"

namespace {

// Lives as long as the module: the text-image names never repeat within a run, even after the
// folder has been cleaned, so a picture still held by an engine is never overwritten.
std::atomic<int> g_nextTextImage{0};

void EnsureFolder(const QString& path) {
  if (!QFileInfo(path).isDir()) {
    QDir().mkpath(path);
  }
}

}  // namespace

QString TextImageFolder() {
  const MuiContext* context = CurrentContext();
  // Without a product folder the path would be relative to whatever the working folder is.
  if (context == nullptr || context->productFolder.isEmpty()) {
    return {};
  }
  return context->productFolder + "TextImage";
}

QString NextTextImagePath() {
  const QString folder = TextImageFolder();
  if (folder.isEmpty()) {
    return {};
  }
  EnsureFolder(folder);
  return folder + QStringLiteral("/TxtImg%1.bmp").arg(g_nextTextImage.fetch_add(1));
}

void CleanTextImages() {
  const QString folder = TextImageFolder();
  const QFileInfo info(folder);
  // A link in place of the folder points somewhere we never created: leave it and its target alone.
  if (folder.isEmpty() || info.isSymLink() || !info.isDir()) {
    return;
  }
  QDir dir(folder);
  const QStringList pictures =
      dir.entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::NoSymLinks | QDir::Hidden);
  for (const QString& name : pictures) {
    QFile::remove(folder + "/" + name);
  }
  // Fails, as intended, while anything we did not put there is left inside.
  QDir().rmdir(folder);
}

QString UserDataFolder() {
  const MuiContext* context = CurrentContext();
  if (context == nullptr) {
    return {};
  }
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) {
    return {};
  }
  const QString folder = data + "/" + context->makerName + "/" + context->productName;
  EnsureFolder(folder);
  return folder;
}

bool DocumentsFolder(QWidget* /*owner*/, QString& out) {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) {
    return false;
  }
  out = documents;
  return true;
}

QString PreferenceFolder(const QString& key, const QString& subName) {
  const MuiContext* context = CurrentContext();
  if (context == nullptr) {
    return {};
  }

  QString value;
  {
    PlugPtr<I_SaveOptionXml> store;
    if (CreateInto(store, kSaveOptionXmlName)) {
      store->Load(U16(context->productFolder + "Profile/preferences.xml"));
      // Copied before the store goes: its text is only valid until the next call on it.
      value = QString::fromUtf16(store->GetString(U16("general\\" + key)));
    }
  }
  // The user's own choice is taken as it stands, even when it does not exist yet: the converter
  // reports an unusable folder at the moment it needs it.
  if (!value.isEmpty()) {
    return value;
  }

  QString documents;
  if (!DocumentsFolder(nullptr, documents)) {
    return {};
  }
  value = documents + "/" + context->makerName + "/" + subName;
  EnsureFolder(value);
  return value;
}
