#pragma once

#include <QString>
#include <vector>

#include "platform/notifier.h"

// Keeps the desktop notifications instead of showing them.
class RecordingNotifier final : public platform::Notifier {
 public:
  struct Note {
    QString summary;
    QString body;
  };
  std::vector<Note> notes;

  void Notify(const QString& summary, const QString& body) override { notes.push_back({summary, body}); }
};
