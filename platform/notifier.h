#pragma once

#include <QString>

namespace platform {

// Desktop notifications: a short message the desktop shows outside the program's windows, for news a
// user who looks elsewhere should see (a finished conversion). Window tests inject a recording fake.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // Fire and forget: a desktop without a notification service shows nothing and reports nothing.
  virtual void Notify(const QString& summary, const QString& body) = 0;
};

// The freedesktop notification service (org.freedesktop.Notifications) on the session D-Bus.
class DBusNotifier final : public Notifier {
 public:
  void Notify(const QString& summary, const QString& body) override;
};

}  // namespace platform
