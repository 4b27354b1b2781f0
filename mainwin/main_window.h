#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/ui_context.h"
#include "components/i_edit.h"
#include "mainwin/main_actions.h"
#include "mainwin/size_estimate.h"
#include "plug/plug_ptr.h"
#include "settings/catalogue.h"
#include "tasks/qt_list_environment.h"
#include "tasks/task_list.h"

class DestinationBox;
class ListRecovery;
class PreviewWrapper;
class ProfileBoxes;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolBar;
class TSkinProcess;
class TaskNode;
class TssSkinButton;
class TssSkinForm;
class VstList;

namespace platform {
class RenderSurface;
}

// The main window: the task list (or the welcome picture while it is empty), the preview player
// beside it, the track boxes of the focused item, the profile and destination boxes, and the buttons
// and menus that start every operation. The run entry hands it the context and the application.
//
// Every operation is an action (see MainActions) whose enable rule is evaluated whenever the
// application is idle.
class TConverterForm1 : public QWidget {
  Q_OBJECT

 public:
  // `ui` outlives the window.
  explicit TConverterForm1(const UiContext& ui, QWidget* parent = nullptr);
  ~TConverterForm1() override;

  // Runs the update handlers now (the window also runs them whenever the application goes idle).
  void UpdateActions();

  // The list shown, with the keyboard focus, in place of the welcome picture; and the opposite.
  void ShowList();
  void HideList();

  // --- Execute handlers ------------------------------------------------------------------------
  void AddFileActExecute();
  void AddFolderActExecute();
  // Files and folders dropped from the file manager.
  void DropLocalFiles(const QStringList& paths);
  void RemoveExecute();
  // Everything the window does to empty the list.
  void ClearAllExecute();
  void ActMergeExecute();
  void SelectAllExecute();
  void PreferencesExecute();
  // The profile editor on the profile shown in the boxes; the boxes show where it ended.
  void SettingsExecute();
  void StartConvertActExecute();
  void SBDownloaderClick();
  void SBtnBrowseClick();
  void SBtnOpenFolderClick();
  // The player beside the list (main_window_player.cpp).
  void PreviewPlayExecute();
  void PreviewStopExecute();
  void PreviewPrevExecute();
  void PreviewNextExecute();
  void PreviewTimerTimer();
  void SkinProcess1Change(int percent);
  void SnapShotExecute();
  void SnapShotFolderExecute();
  void PropertiesExecute();
  // The clip editor on the focused item, at one of its pages.
  enum EditorPage { kEditorTrimPage = 0, kEditorCropPage = 1, kEditorEffectPage = 2, kEditorMarkPage = 3 };
  void EditClipExecute(int page);

  enum class PlayState { Stopped, Playing, Paused };
  PlayState playState() const { return playState_; }
  // The wall clock the snapshot names are stamped with; tests give a fixed one.
  void SetClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
  PreviewWrapper& Preview() { return *preview_; }

  TVirtualStringTreeHelper& TaskList() { return list_; }
  ConverterSettings& Catalogue() { return catalogue_; }
  ProfileBoxes& Profiles() { return *profiles_; }
  DestinationBox& Destination() { return *destination_; }
  // The copy of the list kept against a crash.
  ListRecovery& Recovery() { return *recovery_; }
  const QString& lastSnapshot() const { return lastSnapshot_; }

  // Controls, by their design names.
  TssSkinForm* ssSkinForm1 = nullptr;
  QLabel* lblTitle = nullptr;
  TssSkinButton* SBtnMin = nullptr;
  TssSkinButton* SBtnClose = nullptr;
  QWidget* CoolBar1 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  TssSkinButton* SBtnLoadDvd = nullptr;
  TssSkinButton* SBDownloader = nullptr;
  TssSkinButton* SBtnEffect = nullptr;
  TssSkinButton* SBtnTrim = nullptr;
  TssSkinButton* SBtnCrop = nullptr;
  TssSkinButton* SBtnPreferences = nullptr;
  QLabel* ImageView = nullptr;
  QLabel* ImageAudio = nullptr;
  QLabel* VideoImage = nullptr;
  platform::RenderSurface* MarkPanel1 = nullptr;
  QLabel* FaceImage = nullptr;
  ::VstList* VstList = nullptr;
  TSkinProcess* SkinProcess1 = nullptr;
  TssSkinButton* SBtnPlay = nullptr;
  TssSkinButton* SBtnStop = nullptr;
  TssSkinButton* SBtnBack = nullptr;
  TssSkinButton* SBtnForward = nullptr;
  TssSkinButton* SBtnSnap = nullptr;
  TssSkinButton* SBtnOpenSnap = nullptr;
  TssSkinButton* SBtnMerge = nullptr;
  TssSkinButton* SBtnRename = nullptr;
  TssSkinButton* SBtnRemove = nullptr;
  TssSkinButton* SBtnCleanAll = nullptr;
  TssSkinButton* SBtnProperty = nullptr;
  QLabel* lblAudio = nullptr;
  QComboBox* cboAudio = nullptr;
  QLabel* lblSubtitle = nullptr;
  QComboBox* cboSubtitle = nullptr;
  QLabel* lblProfile = nullptr;
  QComboBox* CmbProfileGrp = nullptr;
  QComboBox* CmbProfile = nullptr;
  TssSkinButton* SBtnSettings = nullptr;
  TssSkinButton* ssSBApplyToAll = nullptr;
  QLabel* lblDest = nullptr;
  QLineEdit* EditOutPath = nullptr;
  TssSkinButton* SBtnBrowse = nullptr;
  TssSkinButton* SBtnOpenFolder = nullptr;
  TssSkinButton* SBtnStart = nullptr;
  // How large the checked items' outputs will be, above Convert.
  QLabel* lblEstimate = nullptr;
  QTimer* PreviewTimer = nullptr;
  QMenu* PMItem = nullptr;
  MainActions actions;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void ConnectActions();
  void DressWindow();
  void ApplyEdition();
  QString SkinPath(const QString& file) const;
  TssSkinButton* MakeButton(const char* name, const char* picture, int x, int y, const QString& hint,
                            QAction* action, bool mask = false);

  // The list's focus events.
  void VstListFocusChanging(TaskNode* oldNode, TaskNode* newNode, bool& allowed);
  void VstListFocusChanged(TaskNode* node);
  void FillTrackBoxes(MuiItemInfo& item);
  void MarkClipOnSlider(const MuiItemInfo& item);
  void ResetSlider();
  void ShowPlayState();
  // Stop, then play the sibling `node` from the start.
  void PlaySibling(TaskNode* node);
  // The current profile for new items; null, with the user told, when the catalogue has none.
  const ProfileSetting* ProfileForNewItems();
  // After a load: the first items replace the welcome picture and bring the track boxes to life.
  void AfterLoad(bool added);
  // Offers the list an unclean end of the last session left behind (once, after the first showing).
  void OfferListRestore();

  UiContext ui_;
  ConverterSettings catalogue_;
  TVirtualStringTreeHelper list_;
  ApplicationListEnvironment listEnvironment_;
  PlugPtr<I_Edit> edit_;
  ProfileBoxes* profiles_ = nullptr;
  DestinationBox* destination_ = nullptr;
  QString lastSnapshot_;
  QImage playPictures_[2];  // ImageListPlay: play, pause
  std::unique_ptr<PreviewWrapper> preview_;
  PlayState playState_ = PlayState::Stopped;
  double fullDuration_ = 0;
  double viewEnd_ = 0;
  bool sliderFollowsUser_ = true;  // false while the timer moves the slider
  std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
  bool shownOnce_ = false;
  // The idle update's view of the list; it follows the list's tree, which outlives it.
  std::unique_ptr<ActionFactsReader> facts_;
  std::unique_ptr<SizeEstimate> estimate_;
  std::unique_ptr<ListRecovery> recovery_;
};
