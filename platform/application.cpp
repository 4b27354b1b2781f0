#include "platform/application.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <exception>

#include "platform/dialogs.h"
#include "platform/notifier.h"
#include "platform/shutdown.h"
#include "platform/termination_signals.h"

namespace platform {

namespace {

Application* g_current = nullptr;

// Qt must not see an exception leave an event handler; this one turns it into the standard error
// report and lets the loop go on.
class GuardedApplication final : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      Report(QString::fromUtf8(e.what()));
    } catch (...) {
      Report(QString());
    }
    return false;
  }

 private:
  static void Report(const QString& message) {
    if (g_current != nullptr) {
      g_current->GetDialogs().ShowException(message);
    }
  }
};

// Closing the main form ends the message loop that shows it.
class CloseWatcher final : public QObject {
 public:
  explicit CloseWatcher(QEventLoop& loop) : loop_(loop) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && event->isAccepted()) {
      loop_.quit();
    }
    return false;
  }

 private:
  QEventLoop& loop_;
};

QIcon BuiltInIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x1f, 0x6f, 0xb2));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(4, 4, 56, 56, 12, 12);
  QPainterPath play;
  play.moveTo(24, 18);
  play.lineTo(48, 32);
  play.lineTo(24, 46);
  play.closeSubpath();
  painter.setBrush(Qt::white);
  painter.drawPath(play);
  return QIcon(pixmap);
}

}  // namespace

Application::Application(Dialogs& dialogs, Shell& shell)
    : dialogs_(&dialogs),
      shell_(&shell),
      ownShutdown_(std::make_unique<LogindShutdown>()),
      shutdown_(ownShutdown_.get()),
      ownNotifier_(std::make_unique<DBusNotifier>()),
      notifier_(ownNotifier_.get()) {
  g_current = this;
}

Shutdown& Application::GetShutdown() const {
  return *shutdown_;
}

Notifier& Application::GetNotifier() const {
  return *notifier_;
}

Application::~Application() {
  // The signals' earlier handlers return before the Qt application they would talk to goes.
  terminationSignals_.reset();
  if (busy_) {
    SetBusyCursor(false);
  }
  if (g_current == this) {
    g_current = nullptr;
  }
  ownApp_.reset();
}

Application* Application::Current() {
  return g_current;
}

bool Application::Initialize() {
  if (QCoreApplication::instance() != nullptr) {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
  }
  // QApplication keeps references to these for its whole life.
  static int argc = 1;
  static char name[] = "kestrelvine";
  static char* argv[] = {name, nullptr};
  ownApp_ = std::make_unique<GuardedApplication>(argc, argv);
  return true;
}

void Application::SetIcon(const char* iconPath) {
  icon_ = QIcon();
  if (iconPath != nullptr && QFileInfo(QString::fromUtf8(iconPath)).isReadable()) {
    icon_ = QIcon(QString::fromUtf8(iconPath));
  }
  if (icon_.isNull()) {
    icon_ = BuiltInIcon();
  }
  if (qApp != nullptr) {
    QApplication::setWindowIcon(icon_);
  }
}

void Application::SetTitle(const QString& title) {
  title_ = title;
  if (qApp != nullptr) {
    QApplication::setApplicationDisplayName(title);
  }
}

void Application::Run(QWidget* mainForm) {
  mainForm_ = mainForm;
  QEventLoop loop;
  CloseWatcher watcher(loop);
  mainForm->installEventFilter(&watcher);
  mainForm->show();
  loop.exec();
  if (mainForm_ != nullptr) {
    mainForm_->removeEventFilter(&watcher);
    // Closed only here, with every window's call returned: closing clears the list, which a window
    // that was still open may have been working on.
    if (terminating_ && mainForm_->isVisible()) {
      mainForm_->close();
    }
  }
}

bool Application::CatchTerminationSignals() {
  if (terminationSignals_ == nullptr) {
    auto watch = std::make_unique<TerminationSignals>();
    if (!watch->Catching()) {
      return false;
    }
    QObject::connect(watch.get(), &TerminationSignals::Requested, [this](int signal) { Terminate(signal); });
    terminationSignals_ = std::move(watch);
  }
  return true;
}

void Application::Terminate(int signal) {
  if (terminating_) {
    return;
  }
  terminating_ = true;
  terminationSignal_ = signal;
  // A handler removes itself while it runs (its window closes): the calls go through a copy.
  const auto handlers = terminationHandlers_;
  for (const auto& [id, handler] : handlers) {
    if (terminationHandlers_.count(id) != 0) {
      handler();
    }
  }
  QCoreApplication::exit(0);
}

int Application::AddTerminationHandler(std::function<void()> handler) {
  const int id = nextTerminationHandler_++;
  terminationHandlers_.emplace(id, std::move(handler));
  return id;
}

void Application::RemoveTerminationHandler(int id) {
  terminationHandlers_.erase(id);
}

void Application::ProcessMessages() {
  QCoreApplication::processEvents();
}

void Application::SetBusyCursor(bool busy) {
  if (busy == busy_ || qApp == nullptr) {
    return;
  }
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace platform
