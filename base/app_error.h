#pragma once

#include <QString>
#include <stdexcept>

// The application's error class: what escapes a handler or the run entry is shown to the user with its
// message.
class AppError : public std::runtime_error {
 public:
  explicit AppError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};
