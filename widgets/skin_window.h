#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QRegion>

class QWidget;

// The outline of a picture: every pixel that is not `key` (compared by red, green and blue; pictures
// of any depth are read as 24-bit colour). An empty or unreadable picture gives an empty region.
QRegion BitmapRegion(const QImage& picture, const QColor& key);

// Gives `window` the outline of `picture` minus `key` as its mask (works for top-level windows and
// for child widgets alike), and repaints it.
void SetBitmapWindow(QWidget* window, const QImage& picture, const QColor& key);
// Makes `window` rectangular again.
void ResetWindow(QWidget* window);

// A copy of `picture` in which every `key` pixel is fully transparent.
QImage KeyedOut(const QImage& picture, const QColor& key);

// The key colour of every window outline and button mask: magenta, red 255, green 0, blue 255.
inline QColor SkinKeyColor() {
  return QColor(255, 0, 255);
}

// The ring of the control that has the keyboard focus: the accent the style sheet gives focused boxes.
inline QColor SkinFocusColor() {
  return QColor(0xF2, 0x8C, 0x38);
}

// Lets the user move the window of a widget by pressing `buttons` on it: the window system moves the
// window as if its caption had been pressed. Where the window system cannot (no system move), the
// window follows the pointer until the button is released. Owned by the widget it watches.
class WindowDragger : public QObject {
 public:
  WindowDragger(QWidget* handle, Qt::MouseButtons buttons);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* handle_;
  Qt::MouseButtons buttons_;
  bool following_ = false;
  QPoint grabOffset_;
};
