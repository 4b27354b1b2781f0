#pragma once

#include "widgets/box_panel.h"

// The crop box: the frame is shown dimmed outside the crop rectangle (blended with the panel colour
// by Transparent percent) and unchanged inside it. The box and the mouse are always active. The
// rectangle setters only store: the caller repaints.
class TCropPanelEx : public TBoxPanel {
  Q_OBJECT

 public:
  explicit TCropPanelEx(QWidget* parent = nullptr);

  // Share of the frame shown outside the crop rectangle, 0..100.
  int Transparent() const { return transparent_; }
  // Every integer is wrapped into 0..100 (150 → 49, −1 → 100).
  void fSetTransparent(int value);

  int CropLeft() const { return Box().left; }
  int CropTop() const { return Box().top; }
  int CropWidth() const { return Box().width; }
  int CropHeight() const { return Box().height; }
  void fSetCropLeft(int value) { StoreBox(&skin::BoxRect::left, value); }
  void fSetCropTop(int value) { StoreBox(&skin::BoxRect::top, value); }
  void fSetCropWidth(int value) { StoreBox(&skin::BoxRect::width, value); }
  void fSetCropHeight(int value) { StoreBox(&skin::BoxRect::height, value); }

 signals:
  // After every drag step; read the rectangle from the sender.
  void OnDragCrop(TCropPanelEx* sender);

 protected:
  skin::OutsideBox Outside() const override { return skin::OutsideBox::Blend; }
  int Transparency() const override { return transparent_; }
  bool MouseActive() const override { return true; }
  bool BoxMayShow() const override { return true; }
  void StoreDraggedBox(const skin::BoxRect& box) override;
  void DragStepped() override { emit OnDragCrop(this); }

 private:
  int transparent_ = 75;
};
