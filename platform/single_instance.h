#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

// One running window per user data folder. The first start listens on a local socket named after the
// folder; a later start hands the files and folders it was given to it and ends, so that "Open with"
// from the file manager adds to the window already open instead of opening a second one.
class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `key` names the instance (the user data folder): starts with different keys never meet.
  explicit SingleInstance(const QString& key);
  ~SingleInstance() override;

  // Hands `paths` to a running instance; true when one took them (it also raises its window).
  bool HandOver(const QStringList& paths) const;
  // Becomes the running instance: `received` gets the paths of every later start, on this thread. A
  // socket left by a crashed instance is replaced. False when the socket cannot be made.
  bool Listen(std::function<void(const QStringList&)> received);

  // The socket's name for `key`: private to the user, the key hashed so that any path fits.
  static QString SocketName(const QString& key);

 private:
  void Accept();

  QString name_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void(const QStringList&)> received_;
};

}  // namespace platform
