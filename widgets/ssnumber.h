#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// Shows one digit picture out of a strip of Max − Min + 1 equally wide pictures: the one for Value.
// Without a usable strip it shows "Num" in a 24 × 40 white box. UI thread only.
class TssSkinNumber : public QWidget {
  Q_OBJECT

 public:
  explicit TssSkinNumber(QWidget* parent = nullptr);

  int Min() const { return min_; }
  // Raises Value when it lies below the new minimum.
  void SetMin(int min);
  int Max() const { return max_; }
  // Lowers Value when it lies above the new maximum.
  void SetMax(int max);
  int Value() const { return value_; }
  // Ignored outside Min..Max.
  void SetValue(int value);

  const QImage& Skin() const { return skin_; }
  void SetSkin(const QImage& skin);
  bool Mask() const { return mask_; }
  void SetMask(bool on);
  QColor MaskColor() const { return maskColor_; }
  void SetMaskColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Changed();

  int min_ = 0;
  int max_ = 9;
  int value_ = 0;
  QImage skin_;
  bool mask_ = false;
  QColor maskColor_;
};
