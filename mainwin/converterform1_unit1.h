#pragma once

#include <QWidget>

// The main window. It reads the published context, so the run entry creates it after publishing.
class TConverterForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TConverterForm1(QWidget* parent = nullptr);
};
