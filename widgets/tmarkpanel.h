#pragma once

#include "widgets/box_panel.h"

// The watermark box: the frame is shown unchanged and the rectangle marks where the watermark goes.
// EnableMark switches the box drawing and the mouse handling on and off as a whole; no box is drawn
// while the rectangle has no width or no height. Each rectangle setter repaints.
class TMarkPanel : public TBoxPanel {
  Q_OBJECT

 public:
  explicit TMarkPanel(QWidget* parent = nullptr);

  bool EnableMark() const { return enableMark_; }
  void fSetEnableMark(bool value);

  int MarkLeft() const { return Box().left; }
  int MarkTop() const { return Box().top; }
  int MarkWidth() const { return Box().width; }
  int MarkHeight() const { return Box().height; }
  void fSetMarkLeft(int value);
  void fSetMarkTop(int value);
  void fSetMarkWidth(int value);
  void fSetMarkHeight(int value);

 signals:
  // After every drag step; read the rectangle from the sender.
  void OnDragMark(TMarkPanel* sender);

 protected:
  skin::OutsideBox Outside() const override { return skin::OutsideBox::Copy; }
  bool MouseActive() const override { return enableMark_; }
  bool BoxMayShow() const override;
  void StoreDraggedBox(const skin::BoxRect& box) override;
  void DragStepped() override { emit OnDragMark(this); }

 private:
  bool enableMark_ = false;
};
