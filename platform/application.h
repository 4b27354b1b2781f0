#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

class QApplication;

namespace platform {

class Dialogs;
class Shell;
class Shutdown;
class Notifier;
class TerminationSignals;

// The application object: the Qt application (made here, or borrowed when the process already has
// one), the icon, the title, one pointer-sized tag, the main form and its message loop, and the
// dialogs and shell services every window uses. One exists while the module's run entry runs; it
// lives on the user-interface thread.
class Application {
 public:
  Application(Dialogs& dialogs, Shell& shell);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The application object of this process, or null outside the run entry.
  static Application* Current();

  // Makes the Qt application unless one exists. False when none can be made (no display).
  bool Initialize();

  // `iconPath` is the product's icon picture; null or an unreadable file gives the built-in icon.
  void SetIcon(const char* iconPath);
  QIcon Icon() const { return icon_; }
  void SetTitle(const QString& title);
  QString Title() const { return title_; }
  void SetTag(void* tag) { tag_ = tag; }
  void* Tag() const { return tag_; }

  // The window that owns message boxes and modal windows.
  QWidget* MainForm() const { return mainForm_; }
  // Shows the main form and runs the message loop until it is closed, or until the program is asked to
  // end (Terminate); the main form is then closed as its user would close it.
  void Run(QWidget* mainForm);

  // From now until the application object goes, SIGTERM, SIGINT and SIGHUP end the program through
  // Terminate, on this thread. False when they cannot be caught (another application object does).
  bool CatchTerminationSignals();
  // Ends the program as its user would: first every termination handler runs (each window with work
  // under way stops it as its Stop does, without asking), then every message loop ends, nested ones
  // included, and any loop started afterwards returns at once, so no window opened while the calls
  // under way return can hold the program open; Run then closes the main form. Only the first call
  // counts. `signal` is what asked for it (0: none).
  void Terminate(int signal);
  // Whether the program is ending through Terminate, and the signal that asked for it.
  bool Terminating() const { return terminating_; }
  int TerminationSignal() const { return terminationSignal_; }
  // A handler Terminate calls; the number removes it again. A window adds one only while it has work
  // to stop and removes it before it goes.
  int AddTerminationHandler(std::function<void()> handler);
  void RemoveTerminationHandler(int id);
  // Lets pending window messages run (between long steps on the UI thread).
  void ProcessMessages();
  // The busy (hourglass) cursor over every window of the program, or the normal one.
  void SetBusyCursor(bool busy);

  Dialogs& GetDialogs() const { return *dialogs_; }
  Shell& GetShell() const { return *shell_; }
  void SetDialogs(Dialogs& dialogs) { dialogs_ = &dialogs; }
  void SetShell(Shell& shell) { shell_ = &shell; }
  // The session manager's power-off unless another service was set.
  Shutdown& GetShutdown() const;
  void SetShutdown(Shutdown& shutdown) { shutdown_ = &shutdown; }
  // The desktop's notification service unless another service was set.
  Notifier& GetNotifier() const;
  void SetNotifier(Notifier& notifier) { notifier_ = &notifier; }

 private:
  Dialogs* dialogs_;
  Shell* shell_;
  std::unique_ptr<Shutdown> ownShutdown_;
  Shutdown* shutdown_;
  std::unique_ptr<Notifier> ownNotifier_;
  Notifier* notifier_;
  std::unique_ptr<QApplication> ownApp_;
  QIcon icon_;
  QString title_;
  void* tag_ = nullptr;
  QPointer<QWidget> mainForm_;
  bool busy_ = false;
  std::unique_ptr<TerminationSignals> terminationSignals_;
  bool terminating_ = false;
  int terminationSignal_ = 0;
  std::map<int, std::function<void()>> terminationHandlers_;
  int nextTerminationHandler_ = 1;
};

}  // namespace platform
