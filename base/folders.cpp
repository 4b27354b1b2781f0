#include "base/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <atomic>

#include "base/mui_context.h"

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

QString UserDataFolder(const MuiContext& context) {
  // Without a product name every product of the maker would share one folder.
  if (context.productName.isEmpty()) {
    return {};
  }
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) {
    return {};
  }
  const QString folder = data + "/" + context.makerName + "/" + context.productName;
  EnsureFolder(folder);
  return folder;
}

QString UserFileToWrite(const MuiContext& context, const QString& relative) {
  const QString folder = UserDataFolder(context);
  if (folder.isEmpty() || relative.isEmpty()) {
    return {};
  }
  const QString path = folder + "/" + relative;
  EnsureFolder(QFileInfo(path).absolutePath());
  return path;
}

QString UserFileToRead(const MuiContext& context, const QString& relative) {
  if (relative.isEmpty()) {
    return {};
  }
  const QString folder = UserDataFolder(context);
  if (!folder.isEmpty()) {
    const QString own = folder + "/" + relative;
    if (QFileInfo::exists(own)) {
      return own;
    }
  }
  // Without a product folder the path would be relative to whatever the working folder is.
  if (!context.productFolder.isEmpty()) {
    return context.productFolder + relative;
  }
  return folder.isEmpty() ? QString() : folder + "/" + relative;
}

QString TextImageFolder(const MuiContext& context) {
  const QString folder = UserDataFolder(context);
  return folder.isEmpty() ? QString() : folder + "/TextImage";
}

QString NextTextImagePath(const MuiContext& context) {
  const QString folder = TextImageFolder(context);
  if (folder.isEmpty()) {
    return {};
  }
  EnsureFolder(folder);
  return folder + QStringLiteral("/TxtImg%1.bmp").arg(g_nextTextImage.fetch_add(1));
}

void CleanTextImages(const MuiContext& context) {
  const QString folder = TextImageFolder(context);
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

bool DocumentsFolder(QString& out) {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) {
    return false;
  }
  out = documents;
  return true;
}

QString DefaultWorkFolder(const MuiContext& context, const QString& subName) {
  QString documents;
  if (!DocumentsFolder(documents)) {
    return {};
  }
  const QString folder = documents + "/" + context.makerName + "/" + subName;
  EnsureFolder(folder);
  return folder;
}
