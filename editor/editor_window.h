#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <memory>

#include "app/ui_context.h"
#include "components/single_task_view.h"
#include "editor/edit_rules.h"
#include "editor/editor_driver.h"

class PreviewWrapper;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTimer;
class TCropPanelEx;
class TMarkPanel;
class TSkinProcess;
class TssSkinButton;
class TssSkinForm;
struct MuiItemInfo;
namespace platform {
class RenderSurface;
}

// The "Video Edit" window: trim, crop and zoom, effects and watermark of one task-list item, with the
// source ("Original Preview", the crop box over it) and the result ("Output Preview", the watermark
// box over it) playing live. Every change goes to the item at once and to the playing preview; Cancel
// puts the item back exactly as it was when the window opened. UI thread only.
class TCropForm1 : public QDialog {
  Q_OBJECT

 public:
  enum class PlayState { Stopped, Playing, Paused };
  enum Page { kTrimPage = 0, kCropPage = 1, kEffectPage = 2, kMarkPage = 3 };

  // `ui` outlives the window.
  TCropForm1(const UiContext& ui, QWidget* owner);
  ~TCropForm1() override;

  // Binds the window to the item and the request; false for an item without length. The request's
  // applyToAll is written at OK.
  bool Prepare(MuiItemInfo& item, CropRequest& request);

  // --- Handlers, by control -----------------------------------------------------------------------
  void ssSBPlayClick();
  void ssSBStopClick();
  void ssSBNextClick();
  void ssSBPlaySecClick();
  void ssSBTrimStartClick();
  void ssSBTrimEndClick();
  void Timer1Timer();
  void SkinProcess1Change(int percent);
  void PageButtonClick(int page);
  void ssSBSetTrimStartClick();
  void ssSBSetTrimEndClick();
  void ssSBSetTrimLengthClick();
  void ssSBResetTrimClick();
  void cmbZoomChange(int index);
  void UpDownMarginChange(QSpinBox* upDown, int value);
  void ssSBResetCropClick();
  void CropPanel1DragCrop();
  void EffectSliderChange(TSkinProcess* slider, int percent);
  void DICheckBox1Click();
  void ssSBResetEffectClick();
  void EnableWatermarkClick();
  void rbTypeClick(int type);
  void edtTextChange();
  void ssSBFontClick();
  void ssSBPictureClick();
  void UpDownHoriChange(int value);
  void UpDownVertChange(int value);
  void UpDownTransChange(int value);
  void MarkPanel1DragMark();
  void ssSBWMResetClick();
  void ssSBOkClick();
  void ssSBResetClick();
  void ssSBHelpClick();

  PlayState playState() const { return playState_; }
  int Page() const { return page_; }
  double stopAt() const { return stopAt_; }
  PreviewWrapper& Preview() { return *preview_; }
  const QString& textImagePath() const { return textImagePath_; }
  const QFont& markFont() const { return markFont_; }
  const QColor& markColour() const { return markColour_; }

  // Controls, by their design names.
  TssSkinForm* ssSkinForm1 = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblOriginal = nullptr;
  QLabel* lblOutput = nullptr;
  QWidget* ImageOriOuter = nullptr;
  TCropPanelEx* CropPanel1 = nullptr;
  QLabel* ImageView2 = nullptr;
  QLabel* ImageOriginal = nullptr;
  QWidget* ImageOuter = nullptr;
  TMarkPanel* MarkPanel1 = nullptr;
  QLabel* ImageView1 = nullptr;
  platform::RenderSurface* HiddenPanel1 = nullptr;
  TSkinProcess* SkinProcess1 = nullptr;
  TssSkinButton* ssSBLeft = nullptr;
  TssSkinButton* ssSBRight = nullptr;
  QLabel* lblProg = nullptr;
  TSkinProcess* SPVolume = nullptr;
  TssSkinButton* ssSBPlay = nullptr;
  TssSkinButton* ssSBStop = nullptr;
  TssSkinButton* ssSBNext = nullptr;
  TssSkinButton* ssSBPlaySec = nullptr;
  TssSkinButton* ssSBTrimStart = nullptr;
  TssSkinButton* ssSBTrimEnd = nullptr;
  QTimer* Timer1 = nullptr;
  TssSkinButton* ssSBTrim = nullptr;
  TssSkinButton* ssSBCrop = nullptr;
  TssSkinButton* ssSBEffect = nullptr;
  TssSkinButton* ssSBMark = nullptr;
  QWidget* PanelTrim = nullptr;
  QLineEdit* edtTrimStart = nullptr;
  QLineEdit* edtTrimEnd = nullptr;
  QLineEdit* edtTrimLength = nullptr;
  TssSkinButton* ssSBSetTrimStart = nullptr;
  TssSkinButton* ssSBSetTrimEnd = nullptr;
  TssSkinButton* ssSBSetTrimLength = nullptr;
  TssSkinButton* ssSBResetTrim = nullptr;
  QWidget* PanelCrop = nullptr;
  QComboBox* cmbZoom = nullptr;
  QSpinBox* UpDownLeft = nullptr;
  QSpinBox* UpDownTop = nullptr;
  QSpinBox* UpDownRight = nullptr;
  QSpinBox* UpDownBottom = nullptr;
  TssSkinButton* ssSBResetCrop = nullptr;
  QWidget* PanelEffect = nullptr;
  TSkinProcess* SPBrightness = nullptr;
  TSkinProcess* SPContrast = nullptr;
  TSkinProcess* SPSaturation = nullptr;
  QCheckBox* DICheckBox1 = nullptr;
  QLabel* lblDI = nullptr;
  QCheckBox* EffectAllCheckBox1 = nullptr;
  QLabel* lblEffectAll = nullptr;
  TssSkinButton* ssSBResetEffect = nullptr;
  QWidget* PanelWatermark = nullptr;
  QCheckBox* EnableWatermark = nullptr;
  QLabel* lblEnableWM = nullptr;
  QRadioButton* rbText = nullptr;
  QLineEdit* edtText = nullptr;
  TssSkinButton* ssSBFont = nullptr;
  QRadioButton* rbPicture = nullptr;
  QLineEdit* edtPicture = nullptr;
  TssSkinButton* ssSBPicture = nullptr;
  QSpinBox* UpDownHori = nullptr;
  QSpinBox* UpDownVert = nullptr;
  QSpinBox* UpDownTrans = nullptr;
  TssSkinButton* ssSBWMReset = nullptr;
  TssSkinButton* ssSBOk = nullptr;
  TssSkinButton* ssSBCancel = nullptr;
  TssSkinButton* ssSBReset = nullptr;
  TssSkinButton* ssSBClose = nullptr;
  TssSkinButton* ssSBHelp = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Building (editor_window_build.cpp).
  void BuildFrame();
  void BuildViews();
  void BuildPosition();
  void BuildPages();
  void BuildTrimPage();
  void BuildCropPage();
  void BuildEffectPage();
  void BuildMarkPage();
  void ApplyAudioEdition();
  QImage Pic(const char* file) const;
  QString SkinPath(const char* file) const;
  TssSkinButton* Button(QWidget* parent, const char* name, const char* picture, int x, int y,
                        const QString& hint);
  TSkinProcess* EffectSlider(QWidget* parent, const char* name, const char* fill, int x, int y, int width);

  // Showing the item.
  bool HasVideo() const;
  void ShowPage();
  void ShowCrop();
  void SendCrop();
  void ShowEffects();
  void ShowTrim();
  void ShowPosition(double position);
  void ShowWatermark();
  void ApplyMark();
  void UpdatePlayControls();
  WatermarkFont CurrentFont() const;
  bool RenderText(const QString& text, const QString& path, const WatermarkFont& font);
  bool ImageSize(const std::string& path, int32_t& width, int32_t& height);
  MinimumCrop MinimumCropNow() const;

  UiContext ui_;
  MuiItemInfo* item_ = nullptr;
  CropRequest* request_ = nullptr;
  SingleTaskView undoCopy_;
  int page_ = kTrimPage;
  PlayState playState_ = PlayState::Stopped;
  double stopAt_ = 0;
  bool trimmedPlayRequested_ = false;
  TssSkinButton* draggingHandle_ = nullptr;
  int dragStartX_ = 0;
  bool cropEventsOn_ = true;
  bool watermarkEventsOn_ = true;
  bool sliderEventsOn_ = true;
  bool audioEdition_ = false;
  QFont defaultFont_;
  QFont markFont_;
  QColor markColour_ = Qt::white;
  QString textImagePath_;
  QImage tabPictures_[4][2];  // per page: normal, shown
  QImage playPictures_[2];    // play, pause
  std::unique_ptr<PreviewWrapper> preview_;
};
