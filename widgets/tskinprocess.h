#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "widgets/slider_model.h"

class TssSkinButton;
class SkinFillImage;

// A picture slider that also serves as a progress bar: the track (this widget, its picture
// stretched), a fill laid over the track from the start of the range, and a thumb centred on the
// position. Fill and thumb lie on the track's parent beside it, so the thumb may stand out above and
// below a thin track; they move, show and hide with the track. The position is a whole percentage.
// Set-up order: SetImage2, SetImage3, SetBaseLine, the range, Setprocess. With a thumb it takes the
// keyboard focus with Tab and moves by arrow keys (1 %), Page Up and Down (10 %), Home and End. UI
// thread only.
class TSkinProcess : public QWidget {
  Q_OBJECT

 public:
  explicit TSkinProcess(QWidget* parent = nullptr);
  ~TSkinProcess() override;

  // The track picture, drawn stretched over the whole widget; magenta pixels are see-through.
  void SetPicture(const QImage& track);
  const QImage& Picture() const { return track_; }

  // Loads the fill picture from a file. Magenta pixels of the fill are see-through. An unreadable
  // file gives a plain built-in fill; the answer says whether the file was read.
  bool SetImage2(const QString& path);
  // Loads the thumb strip (three frames: normal, mouse over, pressed) from a file and makes the
  // slider respond to clicks and drags. An unreadable file gives a plain built-in thumb; the answer
  // says whether the file was read.
  bool SetImage3(const QString& path);

  // The vertical centre line of fill and thumb, in pixels from the track's top.
  void SetBaseLine(int y);
  // The value range: 0 % at `start` pixels right of the track's left edge, 100 % `length` further.
  void SetExtRange(int start, int length);
  // Range mode: the fill marks this fixed stretch; the thumb stays inside it unless in free mode.
  void SetImage2Range(int start, int width);
  void SetFreeMode(bool on) { model_.SetFreeMode(on); }
  // Report every step of a thumb drag, not only its end.
  void SetMoveChangeNotify(bool on) { model_.SetMoveChangeNotify(on); }

  // Moves the thumb and fill; fires no event.
  void Setprocess(int percent);
  // Moves the position as the user's keys or an assistive tool do: only a slider with a thumb, within
  // what a click there would allow, and reported as a user's move.
  void MoveByUser(int percent);
  // The percentage it shows: the thumb's, or a progress bar's fill.
  int Shown() const;
  // Whether the user can move it (it has a thumb): a slider, else a progress bar.
  bool Interactive() const { return model_.HasThumb(); }
  int Getprocess() const { return model_.Getprocess(); }

  void setVisible(bool visible) override;

  // Rescales the fill and thumb by M/D, for a window shown at another pixel density.
  void ChangeScale(int m, int d);

  QWidget* Image2() const;
  TssSkinButton* Image3() const;
  const skin::SliderModel& Model() const { return model_; }

 signals:
  // The user moved the position (no event for Setprocess).
  void OnProcessChange(int percent);
  // Any press on the track, after the slider's own handling (the window's own mouse-down handler).
  void OnMouseDown(Qt::MouseButton button, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Host();
  QPoint Origin() const;
  void FollowTrack();
  void Place();
  void ChangeControlScale(QWidget* control) const;
  void Report(std::optional<int> percent);

  QImage track_;
  QPointer<SkinFillImage> fill_;
  QPointer<TssSkinButton> thumb_;
  skin::SliderModel model_;
  int baseLine_ = 0;
  int scaleM_ = 1;
  int scaleD_ = 1;
};
