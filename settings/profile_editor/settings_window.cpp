#include "settings/profile_editor/settings_window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <functional>

#include "base/mui_context.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "settings/catalogue.h"
#include "settings/profile_editor/editor_pictures.h"
#include "settings/profile_editor/save_as_window.h"
#include "settings/profile_setting.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

// Where the artwork draws its parts: the profile row, the two parameter cards and the help card.
constexpr int kWidth = 600;
constexpr int kHeight = 440;
constexpr int kProfileRowY = 48;
constexpr int kVideoCardX = 16;
constexpr int kAudioCardX = 308;
constexpr int kCardTop = 84;
constexpr int kCardWidth = 276;
constexpr int kHelpCardTop = 310;
constexpr int kHelpCardWidth = 568;

// Inside a card: its heading, then four captioned boxes.
constexpr int kCardInset = 14;
constexpr int kHeadingOffset = 10;
constexpr int kFirstBoxOffset = 40;
constexpr int kBoxStep = 40;
constexpr int kBoxOffsetX = 112;
constexpr int kBoxHeight = 24;
constexpr int kCaptionDrop = 4;

// The widths the two catalogue boxes open their lists to, for long names.
constexpr int kGroupDropDownWidth = 150;
constexpr int kProfileDropDownWidth = 300;
constexpr char kDropDownWidth[] = "tag";

constexpr char kDeleteQuestion[] = "Are you sure to delete the profile?";

struct Description {
  const char* box;
  const char* text;
};
constexpr Description kDescriptions[] = {
    {"CmbVCode",
     "The \"Encoder\" stands for Video Codec, Force the Video Codec to convert media files to that format."},
    {"CmbVRes",
     "\"Resolution\" means the video size in Width(pixels)*Height(pixels). How sharp your display is is "
     "dependent on the resolution, and high amount of pixels in a small monitor will have very sharp "
     "display."},
    {"CmbVRate",
     "\"Frame Rate\" means one still picture -- by changing still pictures eg. frames quickly, human eye "
     "\"thinks\" that the video is smooth and can't separate pictures from each others and instead sees "
     "smooth video."},
    {"CmbVBit",
     "The \"Video Bitrate\" refers to either a constant number of bits used to Encode each second of "
     "video, or the average number per second (in kbit/s). The Video Bitrate is bigger, the image quality "
     "is better."},
    {"CmbACode",
     "The \"Encoder\" stands for Audio Codec, Force the Audio Codec to convert media files to that format."},
    {"CmbABit",
     "The \"Audio Bitrate\" refers to either a constant number of bits used to Encode each second of "
     "audio, or the average number per second (in kbit/s). The Audio Bitrate is bigger, the sound quality "
     "is better."},
    {"CmbAChan",
     "In audio, a channel is a stream of audio that is to be played by one speaker. Stereo audio for "
     "example, like that on common CDs, consists of two channels."},
    {"CmbARate",
     "\"Sample Rate\" refers to the sampling Frequency of an analog to digital conversion (or analog "
     "capture). Sample Rate is measured in samples per second, where 1 Sample per second is equivalent "
     "to a sampling frequency of 1Hz."},
};

// A combo box that says when its list is about to open, so the window can size the list first.
class DropDownBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforeDropDown;

  void showPopup() override {
    if (beforeDropDown) {
      beforeDropDown();
    }
    QComboBox::showPopup();
  }
};

template <typename Choice>
void FillBox(QComboBox* box, std::vector<Choice>& values, std::vector<Choice> choices) {
  box->clear();
  values = std::move(choices);
  for (const Choice& choice : values) {
    box->addItem(choice.label);
  }
}

template <typename Choice, typename Value>
void SelectValue(QComboBox* box, const std::vector<Choice>& values, const Value& value) {
  int row = -1;
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].value == value) {
      row = static_cast<int>(i);
      break;
    }
  }
  box->setCurrentIndex(row);
}

// The chosen row's entry, or null when the box shows no row of its list.
template <typename Choice>
const Choice* Chosen(const QComboBox* box, const std::vector<Choice>& values) {
  const int row = box->currentIndex();
  return row >= 0 && static_cast<size_t>(row) < values.size() ? &values[row] : nullptr;
}

}  // namespace

TSettingsMuiForm1::TSettingsMuiForm1(const UiContext& ui, QWidget* owner) : QDialog(owner), ui_(ui) {
  setObjectName(QStringLiteral("SettingsMuiForm1"));
  setWindowTitle(QStringLiteral("Settings"));
  const QString productFolder = ui_.context.productFolder;
  setStyleSheet(
      SkinStyleSheet(productFolder.isEmpty() ? QString() : productFolder + QStringLiteral("Skins")));

  BuildFrame();
  BuildProfileRow();
  BuildVideoCard();
  BuildAudioCard();
  BuildHelpCard();
  ShowNothing();

  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

QImage TSettingsMuiForm1::Pic(const char* file) const {
  return ProfileEditorPicture(ui_.context.productFolder, file);
}

void TSettingsMuiForm1::BuildFrame() {
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(Pic("form_settings.png"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(kWidth, kHeight);
  }

  lblTitle = MakeSkinLabel(this, QStringLiteral("Settings"), 38, 8, true);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  // The window has no system caption: its title is what the user drags.
  new WindowDragger(lblTitle, Qt::LeftButton);

  SBtnHelp = MakeSkinButton(this, "SBtnHelp", Pic("tb_help.png"), width() - 50, 7);
  SBtnHelp->SetTitleBarButton(true);
  SBtnClose = MakeSkinButton(this, "SBtnClose", Pic("tb_close.png"), width() - 28, 7);
  SBtnClose->SetTitleBarButton(true);
  connect(SBtnHelp, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::SBtnHelpClick);
  connect(SBtnClose, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::SBtnCloseClick);

  // Footer: the catalogue's own actions left, the window's right.
  const int buttonY = height() - 26 - 14;
  ssSBAdd = MakeSkinButton(this, "ssSBAdd", Pic("btn_add.png"), 16, buttonY);
  ssSBDelete = MakeSkinButton(this, "ssSBDelete", Pic("btn_delete.png"), 16 + 84 + 8, buttonY);
  ssSBOk = MakeSkinButton(this, "ssSBOk", Pic("btn_ok.png"), width() - 16 - 84 - 8 - 84, buttonY);
  ssSBCancel = MakeSkinButton(this, "ssSBCancel", Pic("btn_cancel.png"), width() - 16 - 84, buttonY);
  connect(ssSBAdd, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::ssSBAddClick);
  connect(ssSBDelete, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::ssSBDeleteClick);
  connect(ssSBOk, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::ssSBOkClick);
  connect(ssSBCancel, &TssSkinButton::OnClick, this, &TSettingsMuiForm1::ssSBCancelClick);
}

void TSettingsMuiForm1::BuildProfileRow() {
  QLabel* caption = MakeSkinLabel(this, QStringLiteral("Profile:"), 30, kProfileRowY + kCaptionDrop, true);
  const int groupX = caption->x() + caption->width() + 12;
  auto box = [this](const char* name, int dropDownWidth, QRect geometry) {
    auto* combo = new DropDownBox(this);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setMaxVisibleItems(20);
    combo->setProperty(kDropDownWidth, dropDownWidth);
    combo->setGeometry(geometry);
    combo->beforeDropDown = [this, combo] { CmbDropDown(combo); };
    return combo;
  };
  CmbProfileGrp = box("CmbProfileGrp", kGroupDropDownWidth, QRect(groupX, kProfileRowY, 170, kBoxHeight));
  const int profileX = CmbProfileGrp->geometry().right() + 1 + 10;
  CmbProfile = box("CmbProfile", kProfileDropDownWidth,
                   QRect(profileX, kProfileRowY, kWidth - 30 - profileX, kBoxHeight));
  connect(CmbProfileGrp, &QComboBox::activated, this, [this] { CmbProfileGrpSelect(); });
  connect(CmbProfile, &QComboBox::activated, this, [this] { CmbProfileSelect(); });
}

namespace {

// One captioned parameter box of a card.
QComboBox* ParameterBox(QWidget* parent, const char* name, const QString& caption, int cardX, int index) {
  const int y = kCardTop + kFirstBoxOffset + index * kBoxStep;
  MakeSkinLabel(parent, caption, cardX + kCardInset, y + kCaptionDrop);
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(cardX + kBoxOffsetX, y, kCardWidth - kBoxOffsetX - kCardInset, kBoxHeight);
  return box;
}

}  // namespace

void TSettingsMuiForm1::BuildVideoCard() {
  MakeSkinLabel(this, QStringLiteral("Video Settings"), kVideoCardX + kCardInset, kCardTop + kHeadingOffset,
                true);
  CmbVCode = ParameterBox(this, "CmbVCode", QStringLiteral("Encoder"), kVideoCardX, 0);
  CmbVRes = ParameterBox(this, "CmbVRes", QStringLiteral("Resolution"), kVideoCardX, 1);
  CmbVRate = ParameterBox(this, "CmbVRate", QStringLiteral("Frame Rate"), kVideoCardX, 2);
  CmbVBit = ParameterBox(this, "CmbVBit", QStringLiteral("Video Bitrate"), kVideoCardX, 3);

  CmbVRes->setEditable(true);
  // The typed size is read when the user accepts; it must not grow the box's list on Enter.
  CmbVRes->setInsertPolicy(QComboBox::NoInsert);
  CmbVRes->installEventFilter(this);
  CmbVRes->lineEdit()->installEventFilter(this);
}

void TSettingsMuiForm1::BuildAudioCard() {
  MakeSkinLabel(this, QStringLiteral("Audio Settings"), kAudioCardX + kCardInset, kCardTop + kHeadingOffset,
                true);
  CmbACode = ParameterBox(this, "CmbACode", QStringLiteral("Encoder"), kAudioCardX, 0);
  CmbARate = ParameterBox(this, "CmbARate", QStringLiteral("Sample Rate"), kAudioCardX, 1);
  CmbAChan = ParameterBox(this, "CmbAChan", QStringLiteral("Channels"), kAudioCardX, 2);
  CmbABit = ParameterBox(this, "CmbABit", QStringLiteral("Audio Bitrate"), kAudioCardX, 3);

  for (QComboBox* box : {CmbVCode, CmbVRes, CmbVRate, CmbVBit, CmbACode, CmbARate, CmbAChan, CmbABit}) {
    box->installEventFilter(this);
  }
}

void TSettingsMuiForm1::BuildHelpCard() {
  MakeSkinLabel(this, QStringLiteral("Help"), kVideoCardX + kCardInset, kHelpCardTop + 6, true);
  LabelDesc = new QLabel(this);
  LabelDesc->setObjectName(QStringLiteral("LabelDesc"));
  LabelDesc->setWordWrap(true);
  LabelDesc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The longest description takes three lines of the card at this size.
  LabelDesc->setStyleSheet(QStringLiteral("font-size: 11px;"));
  LabelDesc->setProperty("hint", QStringLiteral("dim"));
  LabelDesc->setGeometry(kVideoCardX + kCardInset, kHelpCardTop + 24, kHelpCardWidth - 2 * kCardInset, 42);
}

bool TSettingsMuiForm1::Setup(ConverterSettings& catalogue, int32_t groupId, int32_t profileId) {
  catalogue_ = &catalogue;
  shownProfile_ = nullptr;
  shownGroupId_ = initialGroupId_ = groupId;
  shownProfileId_ = initialProfileId_ = profileId;
  initialDeleted_ = false;
  FillGroups();
  return shownProfile_ != nullptr;
}

void TSettingsMuiForm1::FillGroups() {
  CmbProfileGrp->clear();
  CmbProfileGrp->setCurrentIndex(-1);
  int selected = -1;
  for (int i = 0; i < catalogue_->GroupCount(); ++i) {
    const ProfileGroup* group = catalogue_->GroupAt(i);
    CmbProfileGrp->addItem(group->GroupName, group->GroupId);
    if (selected < 0 && group->GroupId == shownGroupId_) {
      selected = CmbProfileGrp->count() - 1;
    }
  }
  if (selected < 0 && CmbProfileGrp->count() > 0) {
    selected = 0;
  }
  CmbProfileGrp->setCurrentIndex(selected);
  CmbProfileGrpSelect();
}

void TSettingsMuiForm1::CmbProfileGrpSelect() {
  if (CmbProfileGrp->currentIndex() < 0) {
    if (shownProfile_ == nullptr) {
      ShowNothing();
    }
    return;
  }
  const int32_t groupId = CmbProfileGrp->currentData().toInt();
  CmbProfile->clear();
  int noted = -1;
  for (int i = 0; i < catalogue_->ProfileCount(); ++i) {
    ProfileSetting* profile = catalogue_->ProfileAt(i);
    if (!catalogue_->IsInGroup(profile, groupId)) {
      continue;
    }
    CmbProfile->addItem(profile->ProfileName, profile->ProfileId);
    if (noted < 0 && profile->ProfileId == shownProfileId_) {
      noted = CmbProfile->count() - 1;
      shownProfile_ = profile;
    }
  }
  if (noted < 0 && CmbProfile->count() > 0) {
    noted = 0;
  }
  CmbProfile->setCurrentIndex(noted);
  CmbProfileSelect();
}

void TSettingsMuiForm1::CmbProfileSelect() {
  ProfileSetting* profile = nullptr;
  if (CmbProfile->currentIndex() >= 0) {
    profile = catalogue_->FindProfile(CmbProfile->currentData().toInt());
  }
  if (profile == nullptr) {
    // An empty group leaves the boxes on the profile they show; only when none is left (it was
    // deleted) do they empty, so that nothing acts on a profile that no longer exists.
    if (shownProfile_ == nullptr) {
      ShowNothing();
    }
    return;
  }
  shownGroupId_ = CmbProfileGrp->currentData().toInt();
  shownProfileId_ = profile->ProfileId;
  shownProfile_ = profile;

  ssSBDelete->setEnabled(catalogue_->IsUserProfile(profile));
  // Without a user group the catalogue takes no new profile, whatever the name.
  ssSBAdd->setEnabled(catalogue_->UserGroup() != nullptr);
  ssSBOk->setEnabled(true);
  for (QComboBox* box : {CmbACode, CmbARate, CmbAChan, CmbABit}) {
    box->setEnabled(true);
  }
  FillChoices();
  ShowValues();
}

void TSettingsMuiForm1::FillChoices() {
  const ProfileSetting& p = *shownProfile_;
  FillBox(CmbVCode, videoCodecValues_, ChoiceList(p.VideoCodecs));
  CmbVRes->clear();
  CmbVRes->addItems(SplitList(p.Resolutions, QLatin1Char(',')));
  FillBox(CmbVRate, frameRateValues_, NumberChoiceList(p.FrameRates));
  FillBox(CmbVBit, videoBitRateValues_, NumberChoiceList(p.VideoBitRates));
  FillBox(CmbACode, audioCodecValues_, ChoiceList(p.AudioCodecs));
  FillBox(CmbABit, audioBitRateValues_, NumberChoiceList(p.AudioBitRates));
  FillBox(CmbAChan, channelValues_, NumberChoiceList(p.Channels));
  FillBox(CmbARate, sampleRateValues_, NumberChoiceList(p.SampleRates));
}

void TSettingsMuiForm1::ShowValues() {
  const ProfileSetting& p = *shownProfile_;
  const bool video = p.AudioFormat == 0;
  for (QComboBox* box : {CmbVCode, CmbVRes, CmbVRate, CmbVBit}) {
    box->setEnabled(video);
  }
  CmbVRes->setCurrentIndex(-1);
  if (video) {
    SelectValue(CmbVCode, videoCodecValues_, p.VideoCodecName);
    CmbVRes->setEditText(QStringLiteral("%1*%2").arg(p.Width).arg(p.Height));
    SelectValue(CmbVRate, frameRateValues_, p.FrameRate);
    SelectValue(CmbVBit, videoBitRateValues_, p.VideoBitRate);
  } else {
    CmbVCode->setCurrentIndex(-1);
    CmbVRes->setEditText(QString());
    CmbVRate->setCurrentIndex(-1);
    CmbVBit->setCurrentIndex(-1);
  }
  SelectValue(CmbACode, audioCodecValues_, p.AudioCodecName);
  SelectValue(CmbAChan, channelValues_, p.Channel);
  SelectValue(CmbARate, sampleRateValues_, p.SampleRate);
  SelectValue(CmbABit, audioBitRateValues_, p.AudioBitRate);
}

void TSettingsMuiForm1::ShowNothing() {
  videoCodecValues_.clear();
  frameRateValues_.clear();
  videoBitRateValues_.clear();
  audioCodecValues_.clear();
  audioBitRateValues_.clear();
  channelValues_.clear();
  sampleRateValues_.clear();
  for (QComboBox* box : {CmbVCode, CmbVRes, CmbVRate, CmbVBit, CmbACode, CmbARate, CmbAChan, CmbABit}) {
    box->clear();
    box->setEnabled(false);
  }
  for (TssSkinButton* button : {ssSBAdd, ssSBDelete, ssSBOk}) {
    button->setEnabled(false);
  }
}

bool TSettingsMuiForm1::ApplyControls(ProfileSetting& target) {
  const bool video = target.AudioFormat == 0;
  ProfileResolution size;
  const ProfileChoice* videoCodec = nullptr;
  const ProfileNumberChoice* frameRate = nullptr;
  const ProfileNumberChoice* videoBitRate = nullptr;
  if (video) {
    const std::optional<ProfileResolution> typed = ParseResolution(CmbVRes->currentText());
    if (!typed) {
      Tell(QString::fromLatin1(kResolutionMessage));
      return false;
    }
    size = *typed;
    videoCodec = Chosen(CmbVCode, videoCodecValues_);
    frameRate = Chosen(CmbVRate, frameRateValues_);
    videoBitRate = Chosen(CmbVBit, videoBitRateValues_);
    if (videoCodec == nullptr || frameRate == nullptr || videoBitRate == nullptr) {
      return false;
    }
  }

  const ProfileChoice* audioCodec = Chosen(CmbACode, audioCodecValues_);
  const ProfileNumberChoice* channels = Chosen(CmbAChan, channelValues_);
  const ProfileNumberChoice* sampleRate = Chosen(CmbARate, sampleRateValues_);
  const ProfileNumberChoice* audioBitRate = Chosen(CmbABit, audioBitRateValues_);
  if (audioCodec == nullptr || channels == nullptr || sampleRate == nullptr || audioBitRate == nullptr) {
    return false;
  }
  const QString refusal =
      CheckAudioBitRate(audioCodec->value, sampleRate->value, channels->value, audioBitRate->value);
  if (!refusal.isEmpty()) {
    Tell(refusal);
    return false;
  }

  if (video) {
    target.VideoCodecName = videoCodec->value;
    target.Width = size.width;
    target.Height = size.height;
    target.FrameRate = frameRate->value;
    target.KeepOriFrameRate = frameRate->value < 0 ? 1 : 0;
    target.VideoBitRate = videoBitRate->value;
  }
  target.AudioCodecName = audioCodec->value;
  target.Channel = channels->value;
  target.SampleRate = sampleRate->value;
  target.AudioBitRate = audioBitRate->value;
  return true;
}

bool TSettingsMuiForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    if (auto* box = qobject_cast<QComboBox*>(watched)) {
      CmbEnter(box);
    }
  } else if (event->type() == QEvent::KeyPress && (watched == CmbVRes || watched == CmbVRes->lineEdit())) {
    if (CmbVResKeyPress(*static_cast<QKeyEvent*>(event))) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool TSettingsMuiForm1::CmbVResKeyPress(const QKeyEvent& key) const {
  // Only digits and the separators of "W*H" can be typed. Keys without text (moving, deleting) and
  // control characters (backspace, the editing shortcuts) pass.
  for (const QChar c : key.text()) {
    if (c.isPrint() && !IsResolutionKey(c)) {
      return true;
    }
  }
  return false;
}

void TSettingsMuiForm1::CmbEnter(QComboBox* box) {
  for (const Description& description : kDescriptions) {
    if (box->objectName() == QLatin1String(description.box)) {
      LabelDesc->setText(QString::fromLatin1(description.text));
      return;
    }
  }
}

void TSettingsMuiForm1::CmbDropDown(QComboBox* box) {
  box->view()->setMinimumWidth(box->property(kDropDownWidth).toInt());
}

void TSettingsMuiForm1::ssSBOkClick() {
  if (shownProfile_ != nullptr && ApplyControls(*shownProfile_)) {
    accept();
  }
}

void TSettingsMuiForm1::ssSBCancelClick() {
  Leave();
}

void TSettingsMuiForm1::SBtnCloseClick() {
  Leave();
}

void TSettingsMuiForm1::reject() {
  Leave();
}

void TSettingsMuiForm1::Leave() {
  QDialog::done(initialDeleted_ ? QDialog::Accepted : QDialog::Rejected);
}

void TSettingsMuiForm1::ssSBAddClick() {
  if (shownProfile_ == nullptr) {
    return;
  }
  ProfileSetting copy = *shownProfile_;
  if (!ApplyControls(copy)) {
    return;
  }
  TSettingSaveAsForm1 saveAs(ui_, this);
  saveAs.Setup(*catalogue_, copy);
  if (saveAs.exec() != QDialog::Accepted || saveAs.newProfile() == nullptr) {
    return;
  }
  const ProfileSetting& added = *saveAs.newProfile();
  shownGroupId_ = added.Groups.isEmpty() ? -1 : added.Groups.first();
  shownProfileId_ = added.ProfileId;
  FillGroups();
}

void TSettingsMuiForm1::ssSBDeleteClick() {
  if (shownProfile_ == nullptr || !catalogue_->IsUserProfile(shownProfile_)) {
    return;
  }
  if (ui_.app.GetDialogs().MessageBox(this, QString::fromLatin1(kDeleteQuestion), ui_.app.Title(),
                                      platform::MsgButtons::YesNo,
                                      platform::MsgIcon::Information) != platform::MsgAnswer::Yes) {
    return;
  }
  const int32_t deletedId = shownProfile_->ProfileId;
  if (!catalogue_->DeleteUserProfile(shownProfile_)) {
    return;
  }
  shownProfile_ = nullptr;
  if (deletedId == initialProfileId_) {
    initialDeleted_ = true;
  }

  // The row is found by number: two profiles may share a name, never a number.
  const int row = CmbProfile->findData(deletedId);
  if (row >= 0) {
    CmbProfile->removeItem(row);
    if (CmbProfile->count() > 0) {
      CmbProfile->setCurrentIndex(0);
      CmbProfileSelect();
      return;
    }
  }
  shownGroupId_ = -1;
  shownProfileId_ = -1;
  FillGroups();
}

void TSettingsMuiForm1::SBtnHelpClick() {
  // Without a product folder there is no help file to name; a bare "help.html" would be resolved
  // against whatever folder the desktop happens to be in.
  const QString& productFolder = ui_.context.productFolder;
  if (!productFolder.isEmpty()) {
    ui_.app.GetShell().Open(productFolder + QStringLiteral("help.html"));
  }
}

void TSettingsMuiForm1::Tell(const QString& text) {
  ui_.app.GetDialogs().MessageBox(this, text, ui_.app.Title(), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Warning);
}
