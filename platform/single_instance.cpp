#include "platform/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace platform {

namespace {

// A running instance answers within this; a hung one is not waited for longer.
constexpr int kAnswerMs = 3000;
// Paths, one per line, then an empty line; the answer is one line.
constexpr char kTaken[] = "taken\n";

}  // namespace

SingleInstance::SingleInstance(const QString& key) : name_(SocketName(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::SocketName(const QString& key) {
  const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) {
    folder = QStringLiteral("/tmp");
  }
  return QStringLiteral("%1/kestrelvine-%2-%3").arg(folder).arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::HandOver(const QStringList& paths) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kAnswerMs)) {
    return false;
  }
  QByteArray message;
  for (const QString& path : paths) {
    message += path.toUtf8() + '\n';
  }
  message += '\n';
  socket.write(message);
  if (!socket.waitForBytesWritten(kAnswerMs)) {
    return false;
  }
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kAnswerMs)) {
      return false;
    }
  }
  return socket.readLine() == kTaken;
}

bool SingleInstance::Listen(std::function<void(const QStringList&)> received) {
  received_ = std::move(received);
  server_ = std::make_unique<QLocalServer>();
  // Only this user may hand files over.
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Nobody answered HandOver, so what is there is a crashed instance's socket.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
      server_.reset();
      return false;
    }
  }
  connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::Accept);
  return true;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto lines = std::make_shared<QStringList>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, lines] {
      while (socket->canReadLine()) {
        const QByteArray line = socket->readLine().chopped(1);
        if (!line.isEmpty()) {
          lines->push_back(QString::fromUtf8(line));
          continue;
        }
        // The message is whole: answer first, so that the other start ends while the files load.
        socket->write(kTaken);
        socket->flush();
        const QStringList paths = *lines;
        lines->clear();
        if (received_) {
          received_(paths);
        }
        return;
      }
    });
  }
}

}  // namespace platform
