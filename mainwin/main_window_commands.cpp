// The main window's actions wired to their execute handlers, and the handlers that reach other
// windows, the desktop or the conversion.
#include <QAction>
#include <QComboBox>
#include <QTimer>

#include "base/mui_context.h"
#include "convert/conversion.h"
#include "info/about_window.h"
#include "mainwin/destination_box.h"
#include "mainwin/list_recovery.h"
#include "mainwin/main_window.h"
#include "mainwin/profile_boxes.h"
#include "platform/application.h"
#include "platform/shell.h"
#include "settings/preferences/preferences_window.h"
#include "settings/profile_editor/profile_editor_driver.h"
#include "tasks/track_choice.h"
#include "tasks/vstlist.h"
#include "widgets/ssbutton.h"
#include "widgets/tskinprocess.h"

namespace {

// The sibling downloader program, next to the host.
constexpr char kDownloaderProgram[] = "Tolvermax Fetchwell Pro";

}  // namespace

void TConverterForm1::ConnectActions() {
  const MainActions& a = actions;
  auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
  on(a.AddFileAct, [this] { AddFileActExecute(); });
  on(a.AddFolderAct, [this] { AddFolderActExecute(); });
  on(a.Exit, [this] { close(); });
  on(a.Rename, [this] { list_.BeginRename(); });
  on(a.MoveUp, [this] { list_.MoveUp(); });
  on(a.MoveDown, [this] { list_.MoveDown(); });
  on(a.Remove, [this] { RemoveExecute(); });
  on(a.ClearAll, [this] { ClearAllExecute(); });
  on(a.SelectAll, [this] { SelectAllExecute(); });
  on(a.ActMerge, [this] { ActMergeExecute(); });
  on(a.CheckAll, [this] { list_.SetAllChecked(true); });
  on(a.UnCheckAll, [this] { list_.SetAllChecked(false); });
  on(a.Preferences, [this] { PreferencesExecute(); });
  on(a.ActApplyToAll, [this] { list_.ApplyProfileToAll(); });
  on(a.StartConvertAct, [this] { StartConvertActExecute(); });
  on(a.PreviewPlay, [this] { PreviewPlayExecute(); });
  on(a.PreviewStop, [this] { PreviewStopExecute(); });
  on(a.PreviewPrev, [this] { PreviewPrevExecute(); });
  on(a.PreviewNext, [this] { PreviewNextExecute(); });
  on(a.SnapShot, [this] { SnapShotExecute(); });
  on(a.SnapShotFolder, [this] { SnapShotFolderExecute(); });
  on(a.Properties, [this] { PropertiesExecute(); });
  connect(PreviewTimer, &QTimer::timeout, this, [this] { PreviewTimerTimer(); });
  connect(SkinProcess1, &TSkinProcess::OnProcessChange, this,
          [this](int percent) { SkinProcess1Change(percent); });
  // The help the product folder ships, the same file the Preferences window's help button opens.
  on(a.HelpContent,
     [this] { ui_.app.GetShell().Open(ui_.context.productFolder + QStringLiteral("help.html")); });
  on(a.HomePage, [this] { ui_.app.GetShell().Open(ui_.context.homePageLink); });
  on(a.Support, [this] { ui_.app.GetShell().Open(ui_.context.supportLink); });
  on(a.About, [this] { ShowAboutWindow(ui_, this); });
  on(a.Trim, [this] { EditClipExecute(kEditorTrimPage); });
  on(a.Crop, [this] { EditClipExecute(kEditorCropPage); });
  on(a.Effect, [this] { EditClipExecute(kEditorEffectPage); });
  on(a.WatermarkAct, [this] { EditClipExecute(kEditorMarkPage); });
  on(a.Settings, [this] { SettingsExecute(); });

  connect(SBtnMin, &TssCustomButton::OnClick, this, [this] { showMinimized(); });
  connect(SBDownloader, &TssCustomButton::OnClick, this, [this] { SBDownloaderClick(); });
  connect(SBtnBrowse, &TssCustomButton::OnClick, this, [this] { SBtnBrowseClick(); });
  connect(SBtnOpenFolder, &TssCustomButton::OnClick, this, [this] { SBtnOpenFolderClick(); });

  const struct {
    QComboBox* box;
    TrackKind kind;
  } tracks[] = {{cboAudio, TrackKind::Audio}, {cboSubtitle, TrackKind::Subtitle}};
  for (const auto& track : tracks) {
    connect(track.box, &QComboBox::activated, this, [this, kind = track.kind](int index) {
      if (MuiItemInfo* item = list_.FocusedItem(); item != nullptr) {
        ChooseTrack(*item, kind, index);
        recovery_->Touch();
      }
    });
  }
}

void TConverterForm1::PreferencesExecute() {
  ConverterPreferences preferences(ui_.context);
  preferences.AttachApplication(&ui_.app);
  if (preferences.Execute()) {
    destination_->ReadDestination();
    lastSnapshot_.clear();
  }
}

void TConverterForm1::StartConvertActExecute() {
  VstList->Tree().EndEditNode();
  PreviewStopExecute();
  const ConvertOutcome outcome =
      ConvertCheckedItems(ui_, ConversionRequest{&list_, &catalogue_, destination_->Destination()});
  if (!outcome.firstOutputFile.isEmpty()) {
    destination_->SetLastOutputFile(outcome.firstOutputFile);
  }
  if (outcome.openFolder) {
    SBtnOpenFolderClick();
  }
}

void TConverterForm1::SBDownloaderClick() {
  // A downloader that is not installed is not reported.
  ui_.app.GetShell().Open(ui_.context.moduleFolder + QString::fromUtf8(kDownloaderProgram));
}

void TConverterForm1::SBtnBrowseClick() {
  destination_->Browse();
}

void TConverterForm1::SBtnOpenFolderClick() {
  destination_->Open();
}

void TConverterForm1::SettingsExecute() {
  const std::optional<int32_t> group = profiles_->CurrentGroup();
  const int row = CmbProfile->currentIndex();
  if (!group || row < 0 || row >= profiles_->profileIds().size()) {
    return;
  }
  int32_t groupId = *group;
  int32_t profileId = profiles_->profileIds()[row];
  EditProfile(ui_, this, catalogue_, groupId, profileId);
  // The editor may have deleted the last profile of the group it showed (it then hands back no
  // group): the boxes list the group they show again, so that no deleted profile stays offered.
  if (!profiles_->groupIds().contains(groupId)) {
    groupId = *group;
  }
  profiles_->SyncProfileBoxes(groupId, profileId);
  // A profile's bit rates may have changed under items that use it.
  estimate_->Invalidate();
  recovery_->Touch();
}
