#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

// The picture of a whole window. It lies at the top-left of its form, below every other control,
// paints the window's picture, cuts the window's outline out of it (every pixel of TransparentColor is
// a hole), sizes the form to the picture and lets the user drag the form by any point of it.
// UI thread only.
class TssSkinForm : public QWidget {
  Q_OBJECT

 public:
  // `form` is the window the picture belongs to. A top-level form loses its system frame.
  explicit TssSkinForm(QWidget* form);

  const QImage& Glyph() const { return glyph_; }
  // Takes a copy. A null picture leaves the form rectangular and shows a black frame instead.
  void SetPicture(const QImage& glyph);

  QColor TransparentColor() const { return transparentColor_; }
  void SetColor(const QColor& color);

  // Rescales the picture by M/D once, for a form shown at another pixel density than its design.
  void ChangeScale(int m, int d);

 signals:
  // The outline was rebuilt and the form resized to the picture.
  void OnRegionChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PictureChanged();
  bool ScalePicture();
  void ReSetWndRgn();

  QPointer<QWidget> form_;
  QImage glyph_;
  QColor transparentColor_;
  int scaleM_ = 0;
  int scaleD_ = 0;
};
