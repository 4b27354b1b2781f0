#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "widgets/skin_math.h"

class QAction;

// A push button painted from a strip of equally wide state pictures side by side: normal, mouse over,
// pressed, disabled (`DivNum` of them). The button is one frame large. With `Mask` on, its shape is
// frame 0 minus `MaskColor`. A press only clicks when it is released on the button without the pointer
// having left it. It takes keyboard focus with Tab (a ring shows it) and clicks on Space or Enter; a
// screen reader hears its caption and hint (see skin_accessible.h). UI thread only.
class TssCustomButton : public QWidget {
  Q_OBJECT

 public:
  explicit TssCustomButton(QWidget* parent = nullptr);

  const QImage& Skin() const { return skin_; }
  // Takes a copy; the button resizes to one frame (50 × 30 without a whole frame). The caption drawn
  // on the picture comes with it when the picture's file names it.
  void SetSkin(const QImage& skin);
  // The text drawn on the button, or empty for a picture without one (an icon).
  QString Caption() const { return caption_; }

  // Clicks as a key press or an assistive tool does: only when enabled, then as a mouse click would.
  void Press();

  int DivNum() const { return divNum_; }
  // Values outside 1..4 are ignored.
  void SetDivNum(int divNum);

  bool Mask() const { return mask_; }
  void SetMask(bool on);
  QColor MaskColor() const { return maskColor_; }
  void SetMaskColor(const QColor& color);

  // Given to the dialog the button lies in when it is clicked, after the click handlers ran; 0 leaves
  // the dialog open.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Binds the button to an action: it follows the action's enabled and visible state, and a click
  // triggers the action unless something listens to OnClick, which then runs instead.
  void SetAction(QAction* action);
  QAction* Action() const { return action_; }

  // A button of the window's own title bar (minimise, help, close): a window that opens or comes back
  // never puts the keyboard focus on it, only Tab does.
  void SetTitleBarButton(bool on) { titleBar_ = on; }

  // Rescales the strip by M/D frame by frame, for a window shown at another pixel density.
  void ChangeScale(int m, int d);

  bool Hover() const { return hover_; }
  bool Pressed() const { return pressed_; }
  // The frame the button paints in its current state.
  int CurrentFrame() const;

 signals:
  void OnClick();
  void OnMouseEnter();
  void OnMouseExit();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

  // Shows or clears the mouse-over state without a pointer (for buttons that mirror each other).
  void SetHover(bool hover);
  virtual void HoverChanged(bool hover);

 private:
  friend class TssLinkButton;

  void SkinChanged();
  bool ScaleSkin();
  void AdjustSize();
  void MaskChanged();
  void Click();
  void FollowAction();

  QImage skin_;
  QImage scaledSkin_;
  QString caption_;
  int divNum_ = skin::kDefaultDivNum;
  bool mask_ = false;
  QColor maskColor_;
  int modalResult_ = 0;
  QPointer<QAction> action_;
  bool hover_ = false;
  bool pressed_ = false;
  bool clicking_ = false;
  bool titleBar_ = false;
  int scaleM_ = 0;
  int scaleD_ = 0;
};

class TssSkinButton : public TssCustomButton {
  Q_OBJECT

 public:
  using TssCustomButton::TssCustomButton;
};

// A skinned button whose mouse-over state also shows on `LinkButton` (for two pictures that act as one
// control, such as an icon and its caption).
class TssLinkButton : public TssSkinButton {
  Q_OBJECT

 public:
  using TssSkinButton::TssSkinButton;

  TssCustomButton* LinkButton() const { return link_; }
  void SetLinkButton(TssCustomButton* link) { link_ = link; }

 protected:
  void HoverChanged(bool hover) override;

 private:
  QPointer<TssCustomButton> link_;
};

// A button of a small skinned window: `picture` holds its usual four frames, placed at x, y.
TssSkinButton* MakeSkinButton(QWidget* parent, const char* name, const QImage& picture, int x, int y);
