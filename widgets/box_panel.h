#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPen>
#include <QWidget>
#include <functional>
#include <mutex>

#include "widgets/box_drag.h"
#include "widgets/frame_compose.h"

class QIODevice;
class QPainter;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A panel that shows the latest still frame of a preview and lets the user drag a rectangle over it
// by its edges, corners or interior. The crop box and the watermark box are the two kinds; they share
// the frame, the lock, the drag rule and the painting, and differ in how the area outside the
// rectangle is drawn, when the box and the mouse are active, and whether a new rectangle value
// repaints.
//
// Threads: UpdateBkBmp may be called from any thread (the preview engine's playback thread); it
// replaces the frame under `lock_` and only asks the UI thread to repaint. Everything else runs on the
// UI thread. Frames must stop arriving (the preview closed) before the panel is destroyed.
class TBoxPanel : public QWidget {
  Q_OBJECT

 public:
  using PaintHandler = std::function<void(QPainter&)>;

  explicit TBoxPanel(QWidget* parent = nullptr);
  ~TBoxPanel() override;

  // Loads the frame from a complete bitmap file image, rewinding `stream` first. A frame that cannot
  // be decoded leaves the previous one in place. Any thread.
  void UpdateBkBmp(QIODevice& stream);
  void UpdateBkBmp(const QByteArray& bitmapFile);
  void FreeBkBmp();
  bool HasBkBmp() const;

  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut cut);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut cut);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int width);

  // The pen the box is drawn with; the brush is always hollow.
  QPen BoxPen() const { return boxPen_; }
  void SetBoxPen(const QPen& pen);

  // Called at the end of every paint in which the box may show. Null draws no box.
  const PaintHandler& OnPaint() const { return onPaint_; }
  void SetOnPaint(PaintHandler handler);
  // Draws the box's outline and its eight handle squares with BoxPen.
  void BoxPaint(QPainter& painter) const;

  skin::DragState DragState() const { return dragState_; }
  bool Dragging() const { return dragging_; }

 protected:
  skin::BoxRect Box() const;
  // Stores one rectangle value under the lock.
  void StoreBox(int32_t skin::BoxRect::*field, int32_t value);

  virtual skin::OutsideBox Outside() const = 0;
  virtual int Transparency() const { return 100; }
  virtual bool MouseActive() const = 0;
  virtual bool BoxMayShow() const = 0;
  // Stores a whole rectangle after a drag step, through the kind's own setters.
  virtual void StoreDraggedBox(const skin::BoxRect& box) = 0;
  virtual void DragStepped() = 0;

  void ResetDrag();

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void UpdateDragState(int x, int y);
  void UpdateDrag(int x, int y);
  void DrawBevel(QPainter& painter, QRect& rect, TBevelCut cut) const;

  // Guards bkBmp_ and box_.
  mutable std::mutex lock_;
  QImage bkBmp_;  // 24-bit, as decoded (upside down)
  skin::BoxRect box_;

  QColor color_;
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  QPen boxPen_;
  PaintHandler onPaint_;

  skin::DragState dragState_ = skin::DragState::Outside;
  int lastX_ = 0;
  int lastY_ = 0;
  bool dragging_ = false;
};
