#pragma once

#include <QObject>
#include <QString>

#include "app/ui_context.h"

class QLineEdit;
class QWidget;

// The destination row of the main window: the read-only folder text, choosing another folder, and
// opening it — or, after a conversion, showing its first output file in the file manager.
// UI thread only.
class DestinationBox : public QObject {
  Q_OBJECT

 public:
  DestinationBox(const UiContext& ui, QLineEdit* edit, QWidget* owner);

  // The destination preference (or its default folder); forgets the last output file.
  void ReadDestination();
  // The folder chooser; a chosen folder becomes the destination for this run only.
  void Browse();
  // Shows the last output file selected when it still exists, else opens the destination folder.
  void Open();

  QString Destination() const;
  const QString& lastOutputFile() const { return lastOutputFile_; }
  void SetLastOutputFile(const QString& file) { lastOutputFile_ = file; }

 private:
  UiContext ui_;
  QLineEdit* edit_;
  QWidget* owner_;
  QString lastOutputFile_;
};
