#include "editor/editor_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <cmath>

#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "base/routines.h"
#include "components/i_edit.h"
#include "components/i_ff_preview.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/render_surface.h"
#include "platform/shell.h"
#include "plug/plug_ptr.h"
#include "preview/preview_rules.h"
#include "preview/preview_wrapper.h"
#include "settings/preferences/chooser_folders.h"
#include "tasks/mui_item_info.h"
#include "widgets/ssbutton.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr char kPictureFilter[] =
    "JPEG Image File(*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG2000 Image File(*.jp2;*.j2k)|*.jp2;*.j2k|PNG Image "
    "File(*.png)|*.png|BMP Image FIle(*.bmp)|*.bmp|GIF Image File(*.gif)|*.gif|TIFF Image "
    "File(*.tif)|*.tif|TGA Image File(*.tga)|*.tga";

uint32_t Rgb(const QColor& colour) {
  return static_cast<uint32_t>(colour.rgb()) & 0xFFFFFFu;
}

void Place(QWidget* control, const QRect& area, const ViewPlace& place) {
  control->setGeometry(area.x() + place.x, area.y() + place.y, place.width, place.height);
}

// Sets a control's value without its change handler acting on it.
void SetQuietly(QSpinBox* box, bool& eventsOn, int value) {
  const bool was = eventsOn;
  eventsOn = false;
  box->setValue(value);
  eventsOn = was;
}

}  // namespace

TCropForm1::TCropForm1(const UiContext& ui, QWidget* owner)
    : QDialog(owner), ui_(ui), preview_(std::make_unique<PreviewWrapper>(ui.context)) {
  BuildFrame();
  BuildViews();
  BuildPosition();
  BuildPages();
  ApplyAudioEdition();

  defaultFont_ = font();
  defaultFont_.setBold(true);
  defaultFont_.setPointSize(20);
  markFont_ = defaultFont_;
  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

TCropForm1::~TCropForm1() {
  // Frames stop reaching the boxes before they go.
  preview_->Close();
}

bool TCropForm1::HasVideo() const {
  return item_ != nullptr && item_->input.media.videoCount != 0;
}

bool TCropForm1::Prepare(MuiItemInfo& item, CropRequest& request) {
  if (!(item.input.media.duration > 0)) {
    return false;
  }
  item_ = &item;
  request_ = &request;
  undoCopy_ = item;
  page_ = request.page >= kTrimPage && request.page <= kMarkPage ? request.page : kTrimPage;
  // Without pictures only the trim page has anything to edit.
  if (audioEdition_ || !HasVideo()) {
    page_ = kTrimPage;
  }
  ShowPage();

  const MediaInfo& media = item.input.media;
  if (HasVideo()) {
    Place(CropPanel1, ImageOriOuter->geometry(),
          FitView(ImageOriOuter->width(), ImageOriOuter->height(), DisplayAspect(media)));
    UpDownLeft->setMaximum(media.width);
    UpDownRight->setMaximum(media.width);
    UpDownTop->setMaximum(media.height);
    UpDownBottom->setMaximum(media.height);
    ShowCrop();
  } else {
    for (QWidget* control :
         {static_cast<QWidget*>(ssSBCrop), static_cast<QWidget*>(ssSBEffect), static_cast<QWidget*>(ssSBMark),
          PanelCrop, PanelEffect, PanelWatermark, static_cast<QWidget*>(ssSBNext)}) {
      control->setEnabled(false);
    }
  }
  ShowEffects();
  ShowTrim();
  cmbZoom->setCurrentIndex(item.input.zoomMode);

  const int outWidth = request.outWidth > 0 ? request.outWidth : ImageOuter->width();
  const int outHeight = request.outHeight > 0 ? request.outHeight : ImageOuter->height();
  Place(MarkPanel1, ImageOuter->geometry(),
        FitView(ImageOuter->width(), ImageOuter->height(), static_cast<double>(outWidth) / outHeight));
  RescaleRect(item.input.mark, item.watermark.refWidth, item.watermark.refHeight, MarkPanel1->width(),
              MarkPanel1->height());
  markFont_ = defaultFont_;
  markColour_ = Qt::white;
  WatermarkFont stored;
  if (ParseWatermarkFont(item.watermark.font, stored)) {
    QFont font;
    if (font.fromString(stored.description)) {
      markFont_ = font;
      markColour_ = QColor::fromRgb(stored.colour);
    }
  }
  UpDownHori->setMaximum(MarkPanel1->width());
  UpDownVert->setMaximum(MarkPanel1->height());
  textImagePath_ = NextTextImagePath(ui_.context);
  ShowWatermark();
  ApplyMark();
  UpdatePlayControls();
  ShowPosition(0);
  return true;
}

void TCropForm1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (item_ != nullptr && playState_ == PlayState::Stopped && !event->spontaneous()) {
    ssSBPlayClick();
  }
}

void TCropForm1::done(int result) {
  // The engine stops before the item it plays changes back.
  if (playState_ != PlayState::Stopped) {
    ssSBStopClick();
  }
  preview_->Close();
  if (result != QDialog::Accepted && item_ != nullptr) {
    // The undo copy brings the texts back with the record, and points the record at the item's own
    // watermark text.
    static_cast<SingleTaskView&>(*item_) = undoCopy_;
  }
  QDialog::done(result);
}

// ---- Pages ------------------------------------------------------------------------------------

void TCropForm1::PageButtonClick(int page) {
  if (audioEdition_ || (!HasVideo() && page != kTrimPage)) {
    return;
  }
  page_ = page;
  ShowPage();
}

void TCropForm1::ShowPage() {
  QWidget* panels[4] = {PanelTrim, PanelCrop, PanelEffect, PanelWatermark};
  TssSkinButton* tabs[4] = {ssSBTrim, ssSBCrop, ssSBEffect, ssSBMark};
  for (int page = 0; page < 4; ++page) {
    panels[page]->setVisible(page == page_);
    tabs[page]->SetSkin(tabPictures_[page][page == page_ ? 1 : 0]);
  }
}

// ---- Crop and zoom --------------------------------------------------------------------------------

MinimumCrop TCropForm1::MinimumCropNow() const {
  return MinimumCropOf(item_->input, CropPanel1->width(), CropPanel1->height());
}

void TCropForm1::ShowCrop() {
  if (!HasVideo()) {
    return;
  }
  const BoxRect32 box = CropInBox(item_->input, CropPanel1->width(), CropPanel1->height());
  CropPanel1->fSetCropLeft(box.left);
  CropPanel1->fSetCropTop(box.top);
  CropPanel1->fSetCropWidth(box.width);
  CropPanel1->fSetCropHeight(box.height);
  CropPanel1->update();
  const CropMargins margins = MarginsOf(item_->input);
  SetQuietly(UpDownLeft, cropEventsOn_, margins.left);
  SetQuietly(UpDownTop, cropEventsOn_, margins.top);
  SetQuietly(UpDownRight, cropEventsOn_, margins.right);
  SetQuietly(UpDownBottom, cropEventsOn_, margins.bottom);
}

void TCropForm1::SendCrop() {
  I_FfPreview* engine = preview_->Engine();
  if (engine == nullptr) {
    return;
  }
  const CIInput& input = item_->input;
  engine->SetCrop(input.cropX, input.cropY, input.cropWidth, input.cropHeight, input.zoomMode);
  engine->SetEffects(&input.effects);
}

void TCropForm1::UpDownMarginChange(QSpinBox* upDown, int value) {
  if (!cropEventsOn_ || item_ == nullptr || !HasVideo()) {
    return;
  }
  const MinimumCrop minimum = MinimumCropNow();
  CIInput& input = item_->input;
  bool accepted = false;
  if (upDown == UpDownLeft) {
    accepted = SetCropLeft(input, value, minimum);
  } else if (upDown == UpDownTop) {
    accepted = SetCropTop(input, value, minimum);
  } else if (upDown == UpDownRight) {
    accepted = SetCropRight(input, value, minimum);
  } else if (upDown == UpDownBottom) {
    accepted = SetCropBottom(input, value, minimum);
  }
  // A refused value puts the up-down back where it was.
  ShowCrop();
  if (accepted) {
    SendCrop();
  }
}

void TCropForm1::CropPanel1DragCrop() {
  if (item_ == nullptr || !HasVideo()) {
    return;
  }
  const BoxRect32 box{CropPanel1->CropLeft(), CropPanel1->CropTop(), CropPanel1->CropWidth(),
                      CropPanel1->CropHeight()};
  CropFromBox(item_->input, box, CropPanel1->width(), CropPanel1->height());
  // The box stays as dragged; only the margins follow, so the rectangle does not jump by the
  // rounding between box and source pixels while the mouse moves.
  const CropMargins margins = MarginsOf(item_->input);
  SetQuietly(UpDownLeft, cropEventsOn_, margins.left);
  SetQuietly(UpDownTop, cropEventsOn_, margins.top);
  SetQuietly(UpDownRight, cropEventsOn_, margins.right);
  SetQuietly(UpDownBottom, cropEventsOn_, margins.bottom);
  SendCrop();
}

void TCropForm1::cmbZoomChange(int index) {
  if (item_ == nullptr || index < 0) {
    return;
  }
  item_->input.zoomMode = index;
  SendCrop();
}

void TCropForm1::ssSBResetCropClick() {
  if (item_ == nullptr || !HasVideo()) {
    return;
  }
  ResetCrop(item_->input);
  ShowCrop();
  cmbZoom->setCurrentIndex(item_->input.zoomMode);
  SendCrop();
}

// ---- Effects --------------------------------------------------------------------------------------

void TCropForm1::ShowEffects() {
  const EffectBlock& effects = item_->input.effects;
  SPBrightness->Setprocess(EffectPercent(effects.brightness));
  SPContrast->Setprocess(EffectPercent(effects.contrast));
  SPSaturation->Setprocess(EffectPercent(effects.saturation));
  SPVolume->Setprocess(VolumePercent(effects.volume));
  DICheckBox1->setChecked(effects.deinterlace != 0);
}

void TCropForm1::EffectSliderChange(TSkinProcess* slider, int percent) {
  if (item_ == nullptr) {
    return;
  }
  EffectBlock& effects = item_->input.effects;
  if (slider == SPBrightness) {
    effects.brightness = EffectFromPercent(percent);
  } else if (slider == SPContrast) {
    effects.contrast = EffectFromPercent(percent);
  } else if (slider == SPSaturation) {
    effects.saturation = EffectFromPercent(percent);
  } else if (slider == SPVolume) {
    effects.volume = VolumeFromPercent(percent);
  }
  SendCrop();
}

void TCropForm1::DICheckBox1Click() {
  if (item_ == nullptr) {
    return;
  }
  item_->input.effects.deinterlace = DICheckBox1->isChecked() ? 1 : 0;
  SendCrop();
}

void TCropForm1::ssSBResetEffectClick() {
  if (item_ == nullptr) {
    return;
  }
  EffectAllCheckBox1->setChecked(false);
  ResetEffects(item_->input);
  ShowEffects();
  SendCrop();
}

// ---- Trim -----------------------------------------------------------------------------------------

void TCropForm1::ShowTrim() {
  const CIInput& input = item_->input;
  edtTrimStart->setText(FormatTime(input.clipStart));
  edtTrimEnd->setText(FormatTime(input.clipStart + input.clipLength));
  edtTrimLength->setText(FormatTime(input.clipLength));
  const TrimHandles handles = PlaceTrimHandles(SkinProcess1->x(), SkinProcess1->width(), input.clipStart,
                                               input.clipLength, input.media.duration);
  ssSBLeft->move(handles.startRight - ssSBLeft->width(), ssSBLeft->y());
  ssSBRight->move(handles.endLeft, ssSBRight->y());
  SkinProcess1->SetImage2Range(handles.rangeStart, handles.rangeLength);
}

void TCropForm1::ssSBSetTrimStartClick() {
  SetTrimStart(item_->input, ParseTime(edtTrimStart->text()));
  ShowTrim();
}

void TCropForm1::ssSBSetTrimEndClick() {
  SetTrimEnd(item_->input, ParseTime(edtTrimEnd->text()));
  ShowTrim();
}

void TCropForm1::ssSBSetTrimLengthClick() {
  SetTrimLength(item_->input, ParseTime(edtTrimLength->text()));
  ShowTrim();
}

void TCropForm1::ssSBResetTrimClick() {
  ResetTrim(item_->input);
  ShowTrim();
}

bool TCropForm1::eventFilter(QObject* watched, QEvent* event) {
  auto* handle = qobject_cast<TssSkinButton*>(watched);
  const QEvent::Type type = event->type();
  const bool mouseEvent =
      type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
  if (!mouseEvent || item_ == nullptr || (handle != ssSBLeft && handle != ssSBRight) ||
      !handle->isEnabled()) {
    return QDialog::eventFilter(watched, event);
  }
  const auto* mouse = static_cast<QMouseEvent*>(event);
  switch (type) {
    case QEvent::MouseButtonPress:
      if (mouse->button() == Qt::LeftButton) {
        draggingHandle_ = handle;
        dragStartX_ = static_cast<int>(mouse->position().x());
      }
      break;
    case QEvent::MouseMove: {
      if (draggingHandle_ != handle) {
        break;
      }
      const int x = static_cast<int>(mouse->position().x());
      CIInput& input = item_->input;
      const double duration = input.media.duration;
      const int sliderLeft = SkinProcess1->x();
      const int sliderWidth = SkinProcess1->width();
      double time = 0;
      if (handle == ssSBLeft) {
        const int edge =
            ClampStartHandle(x + handle->x() + handle->width() - dragStartX_, sliderLeft, ssSBRight->x());
        time = HandleTime(edge, sliderLeft, sliderWidth, duration);
        DragTrimStart(input, time);
      } else {
        // The end handle stands one pixel after the end's place on the slider (see PlaceTrimHandles), so
        // the time is read one pixel left of its edge; otherwise every drag would leave it a pixel right
        // of where it was dropped, and never one pixel after the start handle.
        const int endPlace = ClampEndHandle(x + handle->x() - dragStartX_ - 1,
                                            ssSBLeft->x() + ssSBLeft->width() - 1, sliderLeft, sliderWidth);
        time = HandleTime(endPlace, sliderLeft, sliderWidth, duration);
        DragTrimEnd(input, time);
      }
      ShowTrim();
      SkinProcess1->Setprocess(SliderPercent(time, duration));
      ShowPosition(time);
      break;
    }
    case QEvent::MouseButtonRelease:
      if (draggingHandle_ == handle && mouse->button() == Qt::LeftButton) {
        draggingHandle_ = nullptr;
        if (I_FfPreview* engine = preview_->Engine()) {
          const CIInput& input = item_->input;
          const double at = handle == ssSBLeft ? input.clipStart : input.clipStart + input.clipLength;
          engine->Seek(static_cast<int32_t>(at));
        }
      }
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

// ---- Playback -------------------------------------------------------------------------------------

void TCropForm1::ssSBPlayClick() {
  if (item_ == nullptr) {
    return;
  }
  if (playState_ == PlayState::Playing) {
    if (I_FfPreview* engine = preview_->Engine()) {
      engine->Pause();
    }
    playState_ = PlayState::Paused;
  } else if (playState_ == PlayState::Paused) {
    if (I_FfPreview* engine = preview_->Engine()) {
      engine->Play();
    }
    playState_ = PlayState::Playing;
  } else {
    PreviewSetup setup;
    setup.item = item_;
    setup.outWidth = request_->outWidth > 0 ? request_->outWidth : ImageOuter->width();
    setup.outHeight = request_->outHeight > 0 ? request_->outHeight : ImageOuter->height();
    setup.viewRect = ImageOuter->geometry();
    setup.renderWindow = HiddenPanel1;
    setup.markBox = MarkPanel1;
    setup.cropView = true;
    setup.cropRect = ImageOriOuter->geometry();
    setup.cropBox = CropPanel1;
    setup.trimmedPlay = trimmedPlayRequested_;
    if (!preview_->Open(setup)) {
      MarkPanel1->hide();
      CropPanel1->hide();
      UpdatePlayControls();
      return;
    }
    playState_ = PlayState::Playing;
    const CIInput& input = item_->input;
    stopAt_ = trimmedPlayRequested_ ? input.clipStart + input.clipLength : input.media.duration;
    trimmedPlayRequested_ = false;
    preview_->Engine()->Play();
    if (HasVideo()) {
      CropPanel1->show();
      CropPanel1->raise();
      MarkPanel1->raise();
      ImageView1->hide();
      ImageView2->hide();
    }
  }
  UpdatePlayControls();
}

void TCropForm1::ssSBStopClick() {
  playState_ = PlayState::Stopped;
  preview_->Close();
  UpdatePlayControls();
  SkinProcess1->Setprocess(0);
  ShowPosition(0);
  CropPanel1->hide();
  MarkPanel1->hide();
  ImageOriginal->hide();
  ImageView1->show();
  ImageView2->show();
}

void TCropForm1::ssSBNextClick() {
  if (playState_ == PlayState::Stopped) {
    return;
  }
  playState_ = PlayState::Paused;
  if (I_FfPreview* engine = preview_->Engine()) {
    engine->StepFrame();
  }
  UpdatePlayControls();
}

void TCropForm1::ssSBPlaySecClick() {
  if (playState_ != PlayState::Stopped) {
    return;
  }
  trimmedPlayRequested_ = true;
  ssSBPlayClick();
}

void TCropForm1::UpdatePlayControls() {
  const bool stopped = playState_ == PlayState::Stopped;
  if (stopped) {
    Timer1->stop();
  } else if (!Timer1->isActive()) {
    Timer1->start();
  }
  ssSBNext->setEnabled(!stopped && HasVideo());
  ssSBPlaySec->setEnabled(stopped);
  const bool playing = playState_ == PlayState::Playing;
  ssSBPlay->SetSkin(playPictures_[playing ? 1 : 0]);
  ssSBPlay->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void TCropForm1::Timer1Timer() {
  I_FfPreview* engine = preview_->Engine();
  if (engine == nullptr || item_ == nullptr) {
    return;
  }
  double position = 0;
  if (engine->GetPosition(&position) != 0) {
    ssSBStopClick();
    return;
  }
  const double seconds = std::trunc(position);
  SkinProcess1->Setprocess(SliderPercent(seconds, item_->input.media.duration));
  ShowPosition(seconds);
}

void TCropForm1::SkinProcess1Change(int percent) {
  I_FfPreview* engine = preview_->Engine();
  if (engine == nullptr || item_ == nullptr) {
    return;
  }
  const int second = SeekSecond(percent, item_->input.media.duration);
  engine->Seek(second);
  ShowPosition(second);
}

void TCropForm1::ShowPosition(double position) {
  const CIInput& input = item_->input;
  lblProg->setText(PositionText(position, input.media.duration));
  const bool stopped = playState_ == PlayState::Stopped;
  ssSBTrimEnd->setEnabled(!stopped && position >= input.clipStart);
  ssSBTrimStart->setEnabled(!stopped && position <= input.clipStart + input.clipLength);
  if (position >= stopAt_ && Timer1->isActive() && draggingHandle_ == nullptr) {
    ssSBStopClick();
  }
}

void TCropForm1::ssSBTrimStartClick() {
  I_FfPreview* engine = preview_->Engine();
  double position = 0;
  if (engine == nullptr || engine->GetPosition(&position) != 0) {
    return;
  }
  SetTrimStart(item_->input, position);
  ShowTrim();
  ShowPosition(position);
}

void TCropForm1::ssSBTrimEndClick() {
  I_FfPreview* engine = preview_->Engine();
  double position = 0;
  if (engine == nullptr || engine->GetPosition(&position) != 0) {
    return;
  }
  SetTrimEndAt(item_->input, position);
  ShowTrim();
  ShowPosition(position);
}

// ---- Watermark ------------------------------------------------------------------------------------

WatermarkFont TCropForm1::CurrentFont() const {
  return WatermarkFont{markFont_.toString(), Rgb(markColour_)};
}

bool TCropForm1::RenderText(const QString& text, const QString& path, const WatermarkFont& font) {
  // A fresh instance each time: the picture is rewritten by every render.
  PlugPtr<I_Edit> edit;
  if (!CreateInto(edit, kEditName)) {
    return false;
  }
  return edit->RenderText(U16(text), U16(path), U16(font.description), font.colour);
}

bool TCropForm1::ImageSize(const std::string& path, int32_t& width, int32_t& height) {
  if (I_FfPreview* engine = preview_->Engine()) {
    return engine->GetImageSize(path.c_str(), &width, &height);
  }
  PlugPtr<I_FfPreview> engine;
  if (!CreateInto(engine, kFfPreviewName)) {
    return false;
  }
  return engine->GetImageSize(path.c_str(), &width, &height);
}

void TCropForm1::ShowWatermark() {
  const WatermarkInfo& mark = item_->watermark;
  const WatermarkBlock& block = item_->input.mark;
  const bool was = watermarkEventsOn_;
  watermarkEventsOn_ = false;
  EnableWatermark->setChecked(mark.enabled);
  // With no type chosen neither button is ticked, which exclusive buttons do not allow.
  rbText->setAutoExclusive(false);
  rbPicture->setAutoExclusive(false);
  rbText->setChecked(mark.type == 1);
  rbPicture->setChecked(mark.type == 2);
  rbText->setAutoExclusive(true);
  rbPicture->setAutoExclusive(true);
  rbText->setEnabled(mark.enabled);
  rbPicture->setEnabled(mark.enabled);
  UpDownHori->setEnabled(mark.enabled);
  UpDownVert->setEnabled(mark.enabled);
  UpDownTrans->setEnabled(mark.enabled);
  edtText->setEnabled(mark.enabled && mark.type == 1);
  ssSBFont->setEnabled(mark.enabled && mark.type == 1);
  edtPicture->setEnabled(mark.enabled && mark.type == 2);
  ssSBPicture->setEnabled(mark.enabled && mark.type == 2);
  const QString text = QString::fromStdU16String(mark.text);
  // Typing keeps its place: the text is only put back when it differs (it is stored trimmed).
  if (edtText->text().trimmed() != text) {
    edtText->setText(text);
  }
  edtPicture->setText(QString::fromStdU16String(mark.picture));
  UpDownHori->setValue(block.markLeft);
  UpDownVert->setValue(block.markTop);
  UpDownTrans->setValue(block.markTransparency);
  watermarkEventsOn_ = was;
}

void TCropForm1::ApplyMark() {
  SingleTaskView& view = *item_;
  if (view.watermark.type != 0) {
    ApplyWatermark(view, MarkPanel1->width(), MarkPanel1->height(),
                   [this](const std::string& path, int32_t& width, int32_t& height) {
                     return ImageSize(path, width, height);
                   });
  }
  const WatermarkBlock& block = view.input.mark;
  MarkPanel1->fSetMarkLeft(block.markLeft);
  MarkPanel1->fSetMarkTop(block.markTop);
  MarkPanel1->fSetMarkWidth(block.markWidth);
  MarkPanel1->fSetMarkHeight(block.markHeight);
  MarkPanel1->fSetEnableMark(block.markFile != nullptr);
  // After a reset (no type) the preview drops the mark it was showing.
  if (I_FfPreview* engine = preview_->Engine()) {
    engine->SetWatermark(&view.input.mark);
  }
}

void TCropForm1::EnableWatermarkClick() {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  item_->watermark.enabled = EnableWatermark->isChecked();
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::rbTypeClick(int type) {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  ChooseWatermarkType(*item_, type);
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::edtTextChange() {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  SetWatermarkText(*item_, edtText->text(), textImagePath_, CurrentFont(),
                   [this](const QString& text, const QString& path, const WatermarkFont& font) {
                     return RenderText(text, path, font);
                   });
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::ssSBFontClick() {
  if (item_ == nullptr) {
    return;
  }
  QFont font = markFont_;
  QColor colour = markColour_;
  if (!ui_.app.GetDialogs().ChooseFont(this, font, colour)) {
    return;
  }
  markFont_ = font;
  markColour_ = colour;
  SetWatermarkFont(*item_, CurrentFont(), textImagePath_,
                   [this](const QString& text, const QString& path, const WatermarkFont& chosen) {
                     return RenderText(text, path, chosen);
                   });
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::ssSBPictureClick() {
  if (item_ == nullptr) {
    return;
  }
  const QString file = ui_.app.GetDialogs().OpenFile(
      this, QStringLiteral("Select Picture File"), QString::fromLatin1(kPictureFilter),
      prefs::ChooserStart(ui_.context, prefs::ChooserPurpose::kWatermarkPicture));
  if (file.isEmpty()) {
    return;
  }
  prefs::RememberChooserFolder(ui_.context, prefs::ChooserPurpose::kWatermarkPicture,
                               QFileInfo(file).absolutePath());
  if (!SetWatermarkPicture(*item_, file)) {
    return;
  }
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::UpDownHoriChange(int value) {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  SetMarkLeft(item_->input, value, MarkPanel1->width());
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::UpDownVertChange(int value) {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  SetMarkTop(item_->input, value, MarkPanel1->height());
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::UpDownTransChange(int value) {
  if (!watermarkEventsOn_ || item_ == nullptr) {
    return;
  }
  item_->input.mark.markTransparency = WrapTransparency(value);
  ShowWatermark();
  ApplyMark();
}

void TCropForm1::MarkPanel1DragMark() {
  if (item_ == nullptr) {
    return;
  }
  WatermarkBlock& block = item_->input.mark;
  block.markLeft = MarkPanel1->MarkLeft();
  block.markTop = MarkPanel1->MarkTop();
  block.markWidth = MarkPanel1->MarkWidth();
  block.markHeight = MarkPanel1->MarkHeight();
  ShowWatermark();
  if (I_FfPreview* engine = preview_->Engine()) {
    engine->SetWatermark(&block);
  }
}

void TCropForm1::ssSBWMResetClick() {
  if (item_ == nullptr) {
    return;
  }
  ResetWatermark(*item_);
  markFont_ = defaultFont_;
  markColour_ = Qt::white;
  ShowWatermark();
  ApplyMark();
}

// ---- Bottom buttons -------------------------------------------------------------------------------

void TCropForm1::ssSBOkClick() {
  if (item_ == nullptr) {
    reject();
    return;
  }
  ApplyTrimMinimum(item_->input);
  request_->applyToAll = EffectAllCheckBox1->isChecked();
  accept();
}

void TCropForm1::ssSBResetClick() {
  if (item_ == nullptr) {
    return;
  }
  EffectAllCheckBox1->setChecked(false);
  ResetEffects(item_->input);
  ResetTrim(item_->input);
  if (HasVideo()) {
    ResetCrop(item_->input);
    cmbZoom->setCurrentIndex(item_->input.zoomMode);
    ShowCrop();
  }
  ShowEffects();
  ShowTrim();
  SendCrop();
  ssSBWMResetClick();
}

void TCropForm1::ssSBHelpClick() {
  // Without a product folder there is no help file to name.
  const QString& productFolder = ui_.context.productFolder;
  if (!productFolder.isEmpty()) {
    ui_.app.GetShell().Open(productFolder + QStringLiteral("help.html"));
  }
}
