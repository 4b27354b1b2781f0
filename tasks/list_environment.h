#pragma once

#include <QString>

// What the task list needs of the application around it besides its tree: the message loop, the busy
// cursor and message boxes. The view library gives the application's; tests give a recording one.
class ListEnvironment {
 public:
  // Lets pending window messages run; anything the user may do meanwhile can run in between.
  virtual void ProcessMessages() = 0;
  // The busy cursor; pairs nest, and each end restores the cursor its begin found.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // A message box over the application window: the application title as caption, one OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // A load of `total` files has settled `done` of them; false once the user asked to stop it (or the
  // window it loads into is closing). The application shows how far a long load is, with a way to
  // cancel it.
  virtual bool LoadProgress(int done, int total) {
    static_cast<void>(done);
    static_cast<void>(total);
    return true;
  }
  // The load is over: whatever LoadProgress showed goes away.
  virtual void LoadEnded() {}

 protected:
  ~ListEnvironment() = default;
};

// Keeps the busy cursor for one scope.
class BusyScope {
 public:
  explicit BusyScope(ListEnvironment& environment) : environment_(environment) { environment_.BeginBusy(); }
  ~BusyScope() { environment_.EndBusy(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  ListEnvironment& environment_;
};
