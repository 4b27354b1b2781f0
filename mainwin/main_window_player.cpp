// The player beside the list: play, pause and stop of the focused item, the previous and next items,
// the position slider, snapshots and the snapshot folder; and the focused item's properties.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include "base/mui_context.h"
#include "base/qt_text.h"
#include "base/routines.h"
#include "editor/editor_driver.h"
#include "info/properties_driver.h"
#include "mainwin/list_recovery.h"
#include "mainwin/main_window.h"
#include "mainwin/profile_boxes.h"
#include "platform/application.h"
#include "platform/render_surface.h"
#include "platform/shell.h"
#include "preview/preview_rules.h"
#include "preview/preview_wrapper.h"
#include "settings/preferences/preference_values.h"
#include "tasks/vstlist.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr char16_t kSnapshotSubfolder[] = u"Snapshot";

}  // namespace

void TConverterForm1::PreviewPlayExecute() {
  MuiItemInfo* item = list_.FocusedItem();
  if (item == nullptr || item->itemKind() == kMergedItem) {
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
    fullDuration_ = item->input.media.duration;
    viewEnd_ = item->input.clipStart + item->input.clipLength;
    PreviewSetup setup;
    setup.item = item;
    const ProfileSetting* profile = profiles_->CurrentProfile();
    setup.outWidth = profile != nullptr && profile->Width > 0 ? profile->Width : VideoImage->width();
    setup.outHeight = profile != nullptr && profile->Height > 0 ? profile->Height : VideoImage->height();
    setup.viewRect = VideoImage->geometry();
    setup.renderWindow = MarkPanel1;
    setup.trimmedPlay = true;
    setup.snapshotOn = true;
    // The watermark is drawn in the panel's pixels.
    const ViewPlace place = FitView(setup.viewRect.width(), setup.viewRect.height(),
                                    static_cast<double>(setup.outWidth) / setup.outHeight);
    RescaleRect(item->input.mark, item->watermark.refWidth, item->watermark.refHeight, place.width,
                place.height);
    if (!preview_->Open(setup)) {
      return;
    }
    sliderFollowsUser_ = false;
    SkinProcess1->Setprocess(0);
    sliderFollowsUser_ = true;
    playState_ = PlayState::Playing;
    preview_->Engine()->Play();
    VideoImage->hide();
    ImageAudio->setVisible(item->input.media.videoCount == 0);
    cboAudio->setEnabled(false);
    cboSubtitle->setEnabled(false);
    // The first position poll comes with the timer's first tick, a second after the start: the engine
    // has that long to begin.
  }
  ShowPlayState();
}

void TConverterForm1::PreviewStopExecute() {
  if (playState_ == PlayState::Stopped) {
    return;
  }
  playState_ = PlayState::Stopped;
  preview_->Close();
  sliderFollowsUser_ = false;
  SkinProcess1->Setprocess(0);
  sliderFollowsUser_ = true;
  ShowPlayState();
  VideoImage->show();
  ImageAudio->hide();
  MarkPanel1->hide();
  MarkPanel1->Clear();
  cboAudio->setEnabled(cboAudio->count() > 0);
  cboSubtitle->setEnabled(cboSubtitle->count() > 0);
}

void TConverterForm1::ShowPlayState() {
  const bool playing = playState_ == PlayState::Playing;
  if (playing != PreviewTimer->isActive()) {
    playing ? PreviewTimer->start() : PreviewTimer->stop();
  }
  SBtnPlay->SetSkin(playPictures_[playing ? 1 : 0]);
  SBtnPlay->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void TConverterForm1::PreviewPrevExecute() {
  if (TaskNode* focused = VstList->Tree().FocusedNode()) {
    PlaySibling(focused->PrevSibling());
  }
}

void TConverterForm1::PreviewNextExecute() {
  if (TaskNode* focused = VstList->Tree().FocusedNode()) {
    PlaySibling(focused->NextSibling());
  }
}

void TConverterForm1::PlaySibling(TaskNode* node) {
  if (node == nullptr) {
    return;
  }
  TaskTree& tree = VstList->Tree();
  tree.ScrollIntoView(node, false, false);
  tree.ClearSelection();
  tree.SetFocusedNode(node);  // stops the running preview
  tree.SetSelected(node, true);
  PreviewPlayExecute();
}

void TConverterForm1::PreviewTimerTimer() {
  I_FfPreview* engine = preview_->Engine();
  if (engine == nullptr) {
    return;
  }
  double position = 0;
  const int32_t status = engine->GetPosition(&position);
  sliderFollowsUser_ = false;
  if (status != 0 || position > viewEnd_) {
    PreviewStopExecute();
  } else {
    SkinProcess1->Setprocess(SliderPercent(position, fullDuration_));
  }
  sliderFollowsUser_ = true;
}

void TConverterForm1::SkinProcess1Change(int percent) {
  I_FfPreview* engine = preview_->Engine();
  if (engine != nullptr && sliderFollowsUser_) {
    engine->Seek(SeekSecond(percent, fullDuration_));
  }
}

void TConverterForm1::SnapShotExecute() {
  MuiItemInfo* item = list_.FocusedItem();
  if (playState_ == PlayState::Stopped || item == nullptr) {
    return;
  }
  const QString folder =
      prefs::PreferenceFolder(ui_.context, prefs::kSnapShotFolder, QString::fromUtf16(kSnapshotSubfolder));
  if (folder.isEmpty()) {
    return;
  }
  // A folder the user chose may not exist yet.
  QDir().mkpath(folder);
  QString file = SnapshotFile(folder, item->outputName(), clock_());
  if (!preview_->TakeSnapshot(file)) {
    return;
  }
  const QString type = prefs::StoredImageType(ui_.context);
  // The bitmap stays the snapshot when no other type is asked for or the conversion fails: the user's
  // picture is never lost to a failed conversion.
  if (!type.isEmpty() && type != QStringLiteral("BMP")) {
    if (edit_.IsEmpty()) {
      CreateInto(edit_, kEditName);
    }
    const QString converted = ConvertedSnapshotFile(file, type);
    if (!edit_.IsEmpty() && edit_->ConvertImage(U16(file), U16(type.toLower())) &&
        QFileInfo(converted).isFile()) {
      QFile::remove(file);
      file = converted;
    }
  }
  lastSnapshot_ = file;
}

void TConverterForm1::SnapShotFolderExecute() {
  if (!lastSnapshot_.isEmpty() && QFileInfo(lastSnapshot_).isFile()) {
    ui_.app.GetShell().ShowInFileManager(lastSnapshot_);
    return;
  }
  const QString folder =
      prefs::PreferenceFolder(ui_.context, prefs::kSnapShotFolder, QString::fromUtf16(kSnapshotSubfolder));
  if (!folder.isEmpty()) {
    ui_.app.GetShell().Open(folder);
  }
}

void TConverterForm1::PropertiesExecute() {
  if (const MuiItemInfo* item = list_.FocusedItem()) {
    ShowPropertiesWindow(ui_, this, *item);
  }
}

void TConverterForm1::EditClipExecute(int page) {
  MuiItemInfo* item = list_.FocusedItem();
  if (item == nullptr) {
    return;
  }
  PreviewStopExecute();
  const double oldClipLength = item->input.clipLength;
  CropRequest request;
  if (const ProfileSetting* profile = profiles_->CurrentProfile()) {
    request.outWidth = profile->Width;
    request.outHeight = profile->Height;
  }
  request.page = page;
  ConverterCrop editor(ui_, this);
  if (!editor.EditItem(*item, request)) {
    return;
  }
  MarkClipOnSlider(*item);
  list_.AfterClipEdit(item, oldClipLength, request.applyToAll);
  estimate_->Invalidate();
  recovery_->Touch();
}
