#include "mainwin/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>

#include "base/mui_context.h"
#include "info/splash_window.h"
#include "mainwin/destination_box.h"
#include "mainwin/list_recovery.h"
#include "mainwin/profile_boxes.h"
#include "platform/application.h"
#include "platform/render_surface.h"
#include "preview/preview_wrapper.h"
#include "settings/edition.h"
#include "tasks/task_view_bind.h"
#include "tasks/vstlist.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr int kSplashMilliseconds = 2000;
constexpr int kOutputColumn = 3;

// Drop-down list widths of the boxes whose lists need more room than the box.
constexpr int kGroupListWidth = 150;
constexpr int kProfileListWidth = 300;
constexpr int kAudioListWidth = 200;
constexpr int kProfileRows = 35;
constexpr int kBoxHeight = 24;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromUtf8(name));
  label->adjustSize();
  label->move(x, y);
  return label;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, int x, int y, int width, const QString& hint,
                     int listWidth) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setGeometry(x, y, width, kBoxHeight);
  box->setToolTip(hint);
  if (listWidth > 0) {
    box->view()->setMinimumWidth(listWidth);
  }
  return box;
}

}  // namespace

TConverterForm1::TConverterForm1(const UiContext& ui, QWidget* parent)
    : QWidget(parent), ui_(ui), catalogue_(ui.context), list_(ui.context), listEnvironment_(ui.app) {
  setObjectName(QStringLiteral("TConverterForm1"));
  setWindowTitle(ui_.context.productName);
  // 1. The form and its controls, the catalogue, the id lists and the task list object (members).
  actions.Create(this);
  CreateControls();
  profiles_ = new ProfileBoxes(ui_.context, catalogue_, CmbProfileGrp, CmbProfile, list_, this);
  destination_ = new DestinationBox(ui_, EditOutPath, this);
  // 2. The picture component for snapshots; the window works without it.
  CreateInto(edit_, kEditName);
  preview_ = std::make_unique<PreviewWrapper>(ui_.context);
  // 3. The list's focus handlers go first: binding keeps the focus-changing one to call on from its own.
  VstList->Tree().events.focusChanging = [this](TaskNode* oldNode, TaskNode* newNode, int, int,
                                                bool& allowed) {
    VstListFocusChanging(oldNode, newNode, allowed);
  };
  VstList->Tree().events.focusChanged = [this](TaskNode* node, int) { VstListFocusChanged(node); };
  Bind(*VstList, list_, kOutputColumn, listEnvironment_, ui_.context.productFolder);
  facts_ = std::make_unique<ActionFactsReader>(VstList->Tree());
  estimate_ = std::make_unique<SizeEstimate>(VstList->Tree(), list_, catalogue_, lblEstimate);
  recovery_ = std::make_unique<ListRecovery>(VstList->Tree(), list_, ui_.context);
  ConnectActions();
  // 4. Title, slider, welcome picture, edition.
  DressWindow();
  ApplyEdition();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  // 5. The splash, for its fixed time, while window messages go on.
  ShowSplashFor(ui_.context, kSplashMilliseconds);
  // 6. The profile boxes, with the remembered group and profile.
  profiles_->FillGroups();

  // The update handlers run whenever the application has nothing else to do.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread())) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TConverterForm1::UpdateActions);
  }
  UpdateActions();
}

TConverterForm1::~TConverterForm1() {
  // Without a close the session did not end normally: the copy keeps the list as it stands, so the
  // recovery lets go before the list empties.
  recovery_.reset();
  // The list's handlers call back into this window, so the list empties while the window is whole.
  list_.ClearAll();
  VstList->Tree().events.focusChanged = nullptr;
}

QString TConverterForm1::SkinPath(const QString& file) const {
  return ui_.context.productFolder + QStringLiteral("Skins/") + file;
}

TssSkinButton* TConverterForm1::MakeButton(const char* name, const char* picture, int x, int y,
                                           const QString& hint, QAction* action, bool mask) {
  auto* button = new TssSkinButton(this);
  button->setObjectName(QString::fromUtf8(name));
  const skin::SkinPicture* entry = skin::FindSkinPicture(picture);
  button->SetDivNum(entry != nullptr ? entry->frames : skin::kButtonFrames);
  button->SetSkin(QImage(SkinPath(QString::fromUtf8(picture))));
  button->SetMask(mask);
  button->move(x, y);
  if (!hint.isEmpty()) {
    button->setToolTip(hint);
  }
  if (action != nullptr) {
    button->SetAction(action);
  }
  return button;
}

void TConverterForm1::CreateControls() {
  const QString productFolder = ui_.context.productFolder;
  setStyleSheet(
      SkinStyleSheet(productFolder.isEmpty() ? QString() : productFolder + QStringLiteral("Skins")));
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  setFont(font);

  // Qt lays the window out in device-independent pixels and scales all of it, pictures and the tool
  // bar alike, on high-density screens; so nothing here rescales, and the menu strip keeps its place
  // on the window picture.
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(QImage(SkinPath(QStringLiteral("form_main.png"))));
  if (ssSkinForm1->Glyph().isNull()) {
    // Without the artwork the window keeps its design size and a plain frame.
    ssSkinForm1->resize(850, 585);
    resize(850, 585);
  }

  lblTitle = MakeLabel(this, "lblTitle", QStringLiteral("Video Converter"), 309, 5);
  QFont titleFont = lblTitle->font();
  titleFont.setPixelSize(15);
  titleFont.setBold(true);
  lblTitle->setFont(titleFont);
  lblTitle->setStyleSheet(QStringLiteral("color: rgb(132, 135, 148); background: transparent;"));
  new WindowDragger(lblTitle, Qt::LeftButton);

  const MainActions& a = actions;
  SBtnMin = MakeButton("SBtnMin", "tb_min.png", 765, 11, QString(), nullptr);
  SBtnMin->SetTitleBarButton(true);
  SBtnClose = MakeButton("SBtnClose", "tb_close.png", 791, 11, QString(), a.Exit);
  SBtnClose->SetTitleBarButton(true);

  CoolBar1 = new QWidget(this);
  CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
  CoolBar1->setGeometry(216, 30, 270, 22);
  ToolBar1 = new QToolBar(CoolBar1);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setStyleSheet(MenuStripStyleSheet());
  ToolBar1->setMovable(false);
  ToolBar1->setGeometry(0, 0, 270, 22);
  BuildMainMenu(ToolBar1, a);

  SBtnLoadDvd = MakeButton("SBtnLoadDvd", "tool_add_files.png", 148, 63,
                           QStringLiteral("Add video and audio files"), a.AddFileAct, true);
  SBDownloader = MakeButton("SBDownloader", "tool_download.png", 255, 63, QString(), nullptr, true);
  SBtnEffect = MakeButton("SBtnEffect", "tool_effect.png", 362, 63,
                          QStringLiteral("Set visual effect of focus item"), a.Effect, true);
  SBtnTrim =
      MakeButton("SBtnTrim", "tool_trim.png", 469, 63, QStringLiteral("Trim focused item"), a.Trim, true);
  SBtnCrop =
      MakeButton("SBtnCrop", "tool_crop.png", 576, 63, QStringLiteral("Crop focused item"), a.Crop, true);
  SBtnPreferences = MakeButton("SBtnPreferences", "tool_preferences.png", 683, 63,
                               QStringLiteral("Set the preferences of application"), a.Preferences, true);

  ImageView = new QLabel(this);
  ImageView->setObjectName(QStringLiteral("ImageView"));
  ImageView->setGeometry(40, 128, 264, 198);
  VideoImage = new QLabel(this);
  VideoImage->setObjectName(QStringLiteral("VideoImage"));
  VideoImage->setGeometry(40, 128, 264, 198);
  ImageAudio = new QLabel(this);
  ImageAudio->setObjectName(QStringLiteral("ImageAudio"));
  ImageAudio->setGeometry(40, 128, 264, 198);
  ImageAudio->hide();
  // Black by itself until the preview engine draws into it.
  MarkPanel1 = new platform::RenderSurface(this);
  MarkPanel1->setObjectName(QStringLiteral("MarkPanel1"));
  MarkPanel1->setGeometry(136, 184, 105, 41);
  MarkPanel1->hide();

  FaceImage = new QLabel(this);
  FaceImage->setObjectName(QStringLiteral("FaceImage"));
  FaceImage->setGeometry(320, 128, 485, 239);
  VstList = new ::VstList(this);
  VstList->setGeometry(320, 128, 485, 239);
  VstList->hide();
  PMItem = BuildItemMenu(this, a);
  VstList->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(VstList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    UpdateActions();
    PMItem->popup(VstList->viewport()->mapToGlobal(pos));
  });

  SkinProcess1 = new TSkinProcess(this);
  SkinProcess1->setObjectName(QStringLiteral("SkinProcess1"));
  SkinProcess1->setGeometry(40, 338, 263, 10);
  SkinProcess1->SetPicture(QImage(SkinPath(QStringLiteral("track.png"))));

  playPictures_[0] = QImage(SkinPath(QStringLiteral("ctl_play.png")));
  playPictures_[1] = QImage(SkinPath(QStringLiteral("ctl_pause.png")));
  SBtnPlay = MakeButton("SBtnPlay", "ctl_play.png", 42, 363, QStringLiteral("Play"), a.PreviewPlay);
  SBtnStop = MakeButton("SBtnStop", "ctl_stop.png", 82, 363, QStringLiteral("Stop"), a.PreviewStop);
  SBtnBack =
      MakeButton("SBtnBack", "ctl_back.png", 122, 363, QStringLiteral("Play previous item"), a.PreviewPrev);
  SBtnForward =
      MakeButton("SBtnForward", "ctl_forward.png", 162, 363, QStringLiteral("Play next item"), a.PreviewNext);
  SBtnSnap = MakeButton("SBtnSnap", "ctl_snap.png", 216, 363, QStringLiteral("Take a snapshot"), a.SnapShot);
  SBtnOpenSnap = MakeButton("SBtnOpenSnap", "ctl_open_snap.png", 262, 363,
                            QStringLiteral("Open snapshot folder"), a.SnapShotFolder);

  SBtnMerge = MakeButton("SBtnMerge", "list_merge.png", 325, 377,
                         QStringLiteral("Merge selected items into one item"), a.ActMerge);
  SBtnRename =
      MakeButton("SBtnRename", "list_rename.png", 422, 377, QStringLiteral("Rename focused item"), a.Rename);
  SBtnRemove = MakeButton("SBtnRemove", "list_remove.png", 519, 377, QStringLiteral("Remove selected items"),
                          a.Remove);
  SBtnCleanAll = MakeButton("SBtnCleanAll", "list_clear_all.png", 616, 377,
                            QStringLiteral("Remove all items"), a.ClearAll);
  SBtnProperty = MakeButton("SBtnProperty", "list_properties.png", 713, 377,
                            QStringLiteral("Show focused item's properties"), a.Properties);

  lblAudio = MakeLabel(this, "lblAudio", QStringLiteral("Audio Track"), 39, 456);
  cboAudio = MakeCombo(this, "cboAudio", 111, 451, 158,
                       QStringLiteral("Select the right audio track you want to convert"), kAudioListWidth);
  cboAudio->setEnabled(false);
  lblSubtitle = MakeLabel(this, "lblSubtitle", QStringLiteral("Subtitle"), 282, 456);
  cboSubtitle = MakeCombo(this, "cboSubtitle", 348, 451, 145,
                          QStringLiteral("Select the right subtitle you want to convert"), 0);
  cboSubtitle->setEnabled(false);
  lblProfile = MakeLabel(this, "lblProfile", QStringLiteral("Profile"), 39, 487);
  CmbProfileGrp = MakeCombo(this, "CmbProfileGrp", 111, 482, 114, QString(), kGroupListWidth);
  CmbProfileGrp->setMaxVisibleItems(kProfileRows);
  CmbProfile = MakeCombo(this, "CmbProfile", 230, 482, 202, QString(), kProfileListWidth);
  CmbProfile->setMaxVisibleItems(kProfileRows);
  SBtnSettings = MakeButton("SBtnSettings", "btn_settings.png", 436, 480,
                            QStringLiteral("Edit profile's settings"), a.Settings);
  ssSBApplyToAll = MakeButton("ssSBApplyToAll", "btn_apply_all.png", 528, 480,
                              QStringLiteral("Apply focused item's settings to all"), a.ActApplyToAll);
  lblDest = MakeLabel(this, "lblDest", QStringLiteral("Destination"), 39, 517);
  EditOutPath = new QLineEdit(this);
  EditOutPath->setObjectName(QStringLiteral("EditOutPath"));
  EditOutPath->setReadOnly(true);
  EditOutPath->setGeometry(111, 512, 322, kBoxHeight);
  SBtnBrowse =
      MakeButton("SBtnBrowse", "btn_browse.png", 436, 510, QStringLiteral("Select output folder"), nullptr);
  SBtnOpenFolder = MakeButton("SBtnOpenFolder", "btn_open_folder.png", 528, 510,
                              QStringLiteral("Open output folder"), nullptr);
  SBtnStart = MakeButton("SBtnStart", "btn_start.png", 654, 475, QStringLiteral("Convert checked items"),
                         a.StartConvertAct);
  // What a screen reader reads the boxes and the icon-only controls by.
  lblAudio->setBuddy(cboAudio);
  lblSubtitle->setBuddy(cboSubtitle);
  lblProfile->setBuddy(CmbProfile);
  CmbProfileGrp->setAccessibleName(QStringLiteral("Profile group"));
  lblDest->setBuddy(EditOutPath);
  SBtnMin->setAccessibleName(QStringLiteral("Minimize"));
  VstList->setAccessibleName(QStringLiteral("Files"));
  SkinProcess1->setAccessibleName(QStringLiteral("Preview position"));
  lblEstimate = new QLabel(this);
  lblEstimate->setObjectName(QStringLiteral("lblEstimate"));
  lblEstimate->setGeometry(616, 453, 180, 18);
  lblEstimate->setAlignment(Qt::AlignCenter);
  lblEstimate->setToolTip(QStringLiteral("Estimated size of the checked items' converted files"));

  PreviewTimer = new QTimer(this);
  PreviewTimer->setObjectName(QStringLiteral("PreviewTimer"));
  PreviewTimer->setInterval(1000);

  // Files dropped from the file manager.
  setAcceptDrops(true);
}

void TConverterForm1::DressWindow() {
  lblTitle->setText(ui_.context.productName);
  lblTitle->adjustSize();
  SkinProcess1->SetImage2(SkinPath(QStringLiteral("progress.bmp")));
  SkinProcess1->SetImage3(SkinPath(QStringLiteral("slide.bmp")));
  SkinProcess1->SetBaseLine(6);
  SkinProcess1->SetExtRange(1, SkinProcess1->width() - 2);
  ResetSlider();
  // A missing welcome picture leaves the list's place empty rather than stopping the program.
  FaceImage->setPixmap(QPixmap::fromImage(QImage(SkinPath(QStringLiteral("face.bmp")))));
}

void TConverterForm1::ApplyEdition() {
  if (!IsAudioEdition(ui_.context)) {
    return;
  }
  actions.Effect->setVisible(false);
  actions.Crop->setVisible(false);
  actions.WatermarkAct->setVisible(false);
  const int trimX = SBtnTrim->x();
  SBtnPreferences->move(trimX, SBtnPreferences->y());
  SBtnTrim->move(SBtnEffect->x(), SBtnTrim->y());
}

void TConverterForm1::ResetSlider() {
  SkinProcess1->SetImage2Range(1, SkinProcess1->width() - 2);
  SkinProcess1->Setprocess(0);
}

void TConverterForm1::UpdateActions() {
  const ActionFacts facts = facts_->Read();
  actions.Update(facts);
  estimate_->Refresh();
  // Stop and Snapshot act on a running preview: with none they would do nothing.
  const bool previewOpen = playState_ != PlayState::Stopped;
  for (QAction* action : {actions.PreviewStop, actions.SnapShot}) {
    if (!previewOpen && action->isEnabled()) {
      action->setEnabled(false);
    }
  }
  // No profile can be chosen for a part or for nothing.
  const bool boxes = IsEnabled(ActionRule::FocusedNotPart, facts);
  if (CmbProfileGrp->isEnabled() != boxes) {
    CmbProfileGrp->setEnabled(boxes);
  }
  if (CmbProfile->isEnabled() != boxes) {
    CmbProfile->setEnabled(boxes);
  }
}

void TConverterForm1::ShowList() {
  VstList->show();
  VstList->setFocus();
  FaceImage->hide();
}

void TConverterForm1::HideList() {
  VstList->hide();
  FaceImage->show();
}

void TConverterForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownOnce_ && !event->spontaneous()) {
    shownOnce_ = true;
    destination_->ReadDestination();
    // Asked once the window is on the screen, so the question has the window behind it.
    QTimer::singleShot(0, this, [this] { OfferListRestore(); });
  }
}

void TConverterForm1::OfferListRestore() {
  if (!recovery_->OfferRestore(ui_.app.GetDialogs(), this, ui_.app.Title())) {
    return;
  }
  AfterLoad(true);
  TaskTree& tree = VstList->Tree();
  if (TaskNode* first = tree.GetFirst()) {
    tree.ClearSelection();
    tree.SetFocusedNode(first);
    tree.SetSelected(first, true);
  }
}

void TConverterForm1::closeEvent(QCloseEvent* event) {
  ClearAllExecute();
  recovery_->Discard();
  PreviewStopExecute();
  edit_ = nullptr;
  event->accept();
}
