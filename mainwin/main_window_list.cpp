// The main window's list operations: adding files and folders, drops from the file manager, the list
// actions, and the track boxes of the focused item.
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/helpfunction.h"
#include "mainwin/main_window.h"
#include "mainwin/profile_boxes.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "preview/preview_rules.h"
#include "settings/input_formats.h"
#include "settings/preferences/chooser_folders.h"
#include "tasks/supported_file.h"
#include "tasks/track_choice.h"
#include "tasks/vstlist.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr char kNoProfileMessage[] =
    "No output profile is available, so no files can be added. The profile catalogue may be missing "
    "or damaged; please reinstall the program.";

void Tell(platform::Application& app, const QString& text) {
  app.GetDialogs().MessageBox(app.MainForm(), text, app.Title(), platform::MsgButtons::Ok,
                              platform::MsgIcon::Warning);
}

QStringList LocalFilesOf(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) {
    return paths;
  }
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(url.toLocalFile());
    }
  }
  return paths;
}

}  // namespace

const ProfileSetting* TConverterForm1::ProfileForNewItems() {
  const ProfileSetting* profile = profiles_->CurrentProfile();
  if (profile == nullptr) {
    // Items without a profile could be neither named nor converted.
    Tell(ui_.app, QString::fromUtf8(kNoProfileMessage));
  }
  return profile;
}

void TConverterForm1::AfterLoad(bool added) {
  if (added && FaceImage->isVisibleTo(this)) {
    ShowList();
    cboAudio->setEnabled(true);
    cboSubtitle->setEnabled(true);
  }
}

void TConverterForm1::AddFileActExecute() {
  const ProfileSetting* current = ProfileForNewItems();
  if (current == nullptr) {
    return;
  }
  const QStringList chosen =
      ui_.app.GetDialogs().OpenFiles(this, QStringLiteral("Select Video File"), BuildOpenFilter(ui_.context),
                                     prefs::ChooserStart(ui_.context, prefs::ChooserPurpose::kAddFiles));
  if (!chosen.isEmpty()) {
    prefs::RememberChooserFolder(ui_.context, prefs::ChooserPurpose::kAddFiles,
                                 QFileInfo(chosen.front()).absolutePath());
  }
  QStringList kept;
  for (const QString& path : chosen) {
    if (IsSupportedFile(ui_.context, path)) {
      kept.push_back(path);
    }
  }
  PreviewStopExecute();
  if (kept.isEmpty()) {
    return;
  }
  // The dialog may have let messages run; the profile is taken now.
  current = profiles_->CurrentProfile();
  if (current == nullptr) {
    return;
  }
  const ProfileSetting profile = *current;
  AfterLoad(list_.LoadFiles(kept, true, profile, profiles_->CurrentGroup().value_or(0)));
}

void TConverterForm1::AddFolderActExecute() {
  if (ProfileForNewItems() == nullptr) {
    return;
  }
  QString folder = prefs::ChooserStart(ui_.context, prefs::ChooserPurpose::kAddFolder);
  if (!BrowseForFolder(ui_.app.GetDialogs(), this, QStringLiteral("Please Select Video Folder"), folder)) {
    return;
  }
  prefs::RememberChooserFolder(ui_.context, prefs::ChooserPurpose::kAddFolder, folder);
  PreviewStopExecute();
  const ProfileSetting* current = profiles_->CurrentProfile();
  if (current == nullptr) {
    return;
  }
  const ProfileSetting profile = *current;
  AfterLoad(list_.LoadFolder(folder, profile, profiles_->CurrentGroup().value_or(0)));
}

void TConverterForm1::DropLocalFiles(const QStringList& paths) {
  if (paths.isEmpty()) {
    return;
  }
  PreviewStopExecute();
  const ProfileSetting* current = ProfileForNewItems();
  if (current == nullptr) {
    return;
  }
  const ProfileSetting profile = *current;
  AfterLoad(list_.DropFiles(paths, profile, profiles_->CurrentGroup().value_or(0)));
}

void TConverterForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFilesOf(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  event->ignore();
}

void TConverterForm1::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFilesOf(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // Loaded once the drop is answered: the file manager waits for that answer, and the load lets
  // window messages, further drags among them, run between files.
  QTimer::singleShot(0, this, [this, paths] { DropLocalFiles(paths); });
}

void TConverterForm1::RemoveExecute() {
  PreviewStopExecute();
  list_.RemoveSelected();
  if (VstList->Tree().FocusedNode() == nullptr) {
    ClearAllExecute();
  }
}

void TConverterForm1::ClearAllExecute() {
  PreviewStopExecute();
  list_.ClearAll();
  cboAudio->clear();
  cboAudio->setEnabled(false);
  cboSubtitle->clear();
  cboSubtitle->setEnabled(false);
  HideList();
  ResetSlider();
}

void TConverterForm1::ActMergeExecute() {
  const ProfileSetting* current = profiles_->CurrentProfile();
  if (current == nullptr) {
    Tell(ui_.app, QString::fromUtf8(kNoProfileMessage));
    return;
  }
  const ProfileSetting profile = *current;
  list_.MergeSelected(profile, profiles_->CurrentGroup().value_or(0));
}

void TConverterForm1::SelectAllExecute() {
  TaskTree& tree = VstList->Tree();
  tree.BeginUpdate();
  for (TaskNode* node = tree.GetFirst(); node != nullptr; node = tree.GetNext(node)) {
    if (!node->Selected()) {
      tree.SetSelected(node, true);
    }
  }
  tree.EndUpdate();
}

void TConverterForm1::VstListFocusChanging(TaskNode* oldNode, TaskNode* newNode, bool& allowed) {
  PreviewStopExecute();
}

void TConverterForm1::VstListFocusChanged(TaskNode* node) {
  MuiItemInfo* item = list_.FocusedItem();
  if (item == nullptr) {
    return;
  }
  FillTrackBoxes(*item);
  profiles_->SyncProfileBoxes(item->groupId, item->profile.ProfileId);
  MarkClipOnSlider(*item);
}

void TConverterForm1::FillTrackBoxes(MuiItemInfo& item) {
  const struct {
    QComboBox* box;
    TrackKind kind;
  } boxes[] = {{cboSubtitle, TrackKind::Subtitle}, {cboAudio, TrackKind::Audio}};
  for (const auto& entry : boxes) {
    entry.box->clear();
    entry.box->addItems(TrackLabels(item, entry.kind));
    if (entry.box->count() > 0) {
      const int index = TrackIndex(item, entry.kind);
      entry.box->setCurrentIndex(index);
      ChooseTrack(item, entry.kind, index);
    }
  }
}

void TConverterForm1::MarkClipOnSlider(const MuiItemInfo& item) {
  const double duration = item.input.media.duration;
  if (duration <= 0) {
    return;
  }
  int start = 0;
  int length = 0;
  ClipRangeOnSlider(SkinProcess1->width(), item.input.clipStart, item.input.clipLength, duration, start,
                    length);
  SkinProcess1->SetImage2Range(start, length);
}
