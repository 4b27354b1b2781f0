#include "settings/preferences/preferences_window.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "app/helpfunction.h"
#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "settings/preferences/preference_values.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

// The product's picture when it has one, else the copy built into the program.
QImage Picture(const QString& productFolder, const char* file) {
  const QString name = QString::fromLatin1(file);
  if (!productFolder.isEmpty()) {
    QImage picture(productFolder + QStringLiteral("Skins/") + name);
    if (!picture.isNull()) {
      return picture;
    }
  }
  return QImage(QStringLiteral(":/preferences/") + name);
}

QComboBox* List(QWidget* parent, const char* name, const QStringList& items, QRect geometry) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->addItems(items);
  box->setEditable(false);
  box->setGeometry(geometry);
  return box;
}

QLineEdit* FolderField(QWidget* parent, const char* name, int y) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setReadOnly(true);
  field->setGeometry(136, y, 236, 24);
  return field;
}

// The tab button shows picture `index` of its two-picture list.
void SkinButtonFromImageList(TssSkinButton* button, const QList<QImage>& list, int index) {
  if (index >= 0 && index < list.size()) {
    button->SetSkin(list[index]);
  }
}

// Long paths show their beginning, where the reader looks first.
void ShowFolder(QLineEdit* field, const QString& folder) {
  field->setText(folder);
  field->setCursorPosition(0);
}

void SelectText(QComboBox* box, const QString& text) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) {
    items << box->itemText(i);
  }
  box->setCurrentIndex(prefs::MatchItem(items, text));
}

}  // namespace

bool ConverterPreferences::AttachApplication(platform::Application* application) {
  application_ = application;
  return true;
}

bool ConverterPreferences::Execute() {
  if (application_ == nullptr) {
    return false;
  }
  TPreferencesForm1 form(UiContext{context_, *application_}, application_->MainForm());
  return form.exec() == QDialog::Accepted;
}

TPreferencesForm1::TPreferencesForm1(const UiContext& ui, QWidget* owner) : QDialog(owner), ui_(ui) {
  setObjectName(QStringLiteral("PreferencesForm1"));
  setWindowTitle(QStringLiteral("Properties"));
  const QString productFolder = ui_.context.productFolder;
  setStyleSheet(
      SkinStyleSheet(productFolder.isEmpty() ? QString() : productFolder + QStringLiteral("Skins")));

  BuildFrame();
  BuildGeneralPage();
  BuildOptionPage();
  // Both pages share one place; the Option page lies exactly over the General page.
  OptionPanel->setGeometry(GeneralPanel->geometry());
  ShowPage(true);

  if (CreateInto(store_, kSaveOptionXmlName)) {
    file_ = prefs::PreferencesFileToWrite(ui_.context);
    // A missing file is a first run: every control shows its default.
    store_->Load(U16(prefs::PreferencesFileToRead(ui_.context)));
  }
  LoadValues();

  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

TPreferencesForm1::~TPreferencesForm1() = default;

void TPreferencesForm1::done(int result) {
  QDialog::done(result);
  store_ = nullptr;
}

void TPreferencesForm1::BuildFrame() {
  ssSForm1 = new TssSkinForm(this);
  ssSForm1->setObjectName(QStringLiteral("ssSForm1"));
  ssSForm1->SetPicture(Pic("form_preferences.png"));
  if (ssSForm1->Glyph().isNull()) {
    resize(500, 360);
  }

  lblTitle = MakeSkinLabel(this, QStringLiteral("Properties"), 38, 8, true);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  // Pressing the title moves the window as a caption would.
  new WindowDragger(lblTitle, Qt::LeftButton);

  ssSBHelp = MakeSkinButton(this, "ssSBHelp", Pic("tb_help.png"), 450, 7);
  ssSBHelp->SetTitleBarButton(true);
  ssSBClose = MakeSkinButton(this, "ssSBClose", Pic("tb_close.png"), 472, 7);
  ssSBClose->SetTitleBarButton(true);
  ssSBApply = MakeSkinButton(this, "ssSBApply", Pic("btn_apply.png"), 306, 320);
  ssSBCancel = MakeSkinButton(this, "ssSBCancel", Pic("btn_cancel.png"), 400, 320);
  connect(ssSBHelp, &TssSkinButton::OnClick, this, &TPreferencesForm1::ssSBHelpClick);
  connect(ssSBClose, &TssSkinButton::OnClick, this, &QDialog::reject);
  connect(ssSBApply, &TssSkinButton::OnClick, this, &TPreferencesForm1::ssSBApplyClick);
  connect(ssSBCancel, &TssSkinButton::OnClick, this, &QDialog::reject);

  ImgLstGeneral = {Pic("tab_general_on.png"), Pic("tab_general.png")};
  ImgLstOpt = {Pic("tab_option_on.png"), Pic("tab_option.png")};
  ssSBGeneral = MakeSkinButton(this, "ssSBGeneral", Pic("tab_general_on.png"), 16, 44);
  ssSBOption = MakeSkinButton(this, "ssSBOption", Pic("tab_option.png"), 130, 44);
  connect(ssSBGeneral, &TssSkinButton::OnClick, this, &TPreferencesForm1::ssSBGeneralClick);
  connect(ssSBOption, &TssSkinButton::OnClick, this, &TPreferencesForm1::ssSBOptionClick);
}

void TPreferencesForm1::BuildGeneralPage() {
  GeneralPanel = new QWidget(this);
  GeneralPanel->setObjectName(QStringLiteral("GeneralPanel"));
  GeneralPanel->setGeometry(16, 74, 468, 222);

  MakeSkinLabel(GeneralPanel, QStringLiteral("Output"), 16, 6, true);
  MakeSkinLabel(GeneralPanel, QStringLiteral("Output Folder"), 28, 32);
  Destination = FolderField(GeneralPanel, "Destination", 28);
  DestBrowser = MakeSkinButton(GeneralPanel, "DestBrowser", Pic("btn_pick.png"), 378, 28);
  DestOpen = MakeSkinButton(GeneralPanel, "DestOpen", Pic("btn_open.png"), 410, 28);
  MakeSkinLabel(GeneralPanel, QStringLiteral("Snapshot Folder"), 28, 62);
  SnapShot = FolderField(GeneralPanel, "SnapShot", 58);
  SnapBrowser = MakeSkinButton(GeneralPanel, "SnapBrowser", Pic("btn_pick.png"), 378, 58);
  SnapOpen = MakeSkinButton(GeneralPanel, "SnapOpen", Pic("btn_open.png"), 410, 58);
  MakeSkinLabel(GeneralPanel, QStringLiteral("Image Type"), 28, 92);
  ImageType = List(GeneralPanel, "ImageType", prefs::ImageTypeItems(), QRect(136, 88, 120, 24));

  MakeSkinLabel(GeneralPanel, QStringLiteral("Converting Done"), 16, 122, true);
  MakeSkinLabel(GeneralPanel, QStringLiteral("Action"), 28, 146);
  RippingDone = List(GeneralPanel, "RippingDone", prefs::RippingDoneItems(), QRect(136, 142, 160, 24));

  MakeSkinLabel(GeneralPanel, QStringLiteral("CPU Usage"), 16, 174, true);
  MakeSkinLabel(GeneralPanel, QStringLiteral("Max Usage"), 28, 198);
  CPUUsage = List(GeneralPanel, "CPUUsage", prefs::CpuUsageItems(), QRect(136, 194, 120, 24));

  connect(DestBrowser, &TssSkinButton::OnClick, this, &TPreferencesForm1::DestBrowserClick);
  connect(SnapBrowser, &TssSkinButton::OnClick, this, &TPreferencesForm1::SnapBrowserClick);
  connect(DestOpen, &TssSkinButton::OnClick, this, &TPreferencesForm1::DestOpenClick);
  connect(SnapOpen, &TssSkinButton::OnClick, this, &TPreferencesForm1::SnapOpenClick);
}

void TPreferencesForm1::BuildOptionPage() {
  OptionPanel = new QWidget(this);
  OptionPanel->setObjectName(QStringLiteral("OptionPanel"));

  MakeSkinLabel(OptionPanel, QStringLiteral("Language"), 16, 6, true);
  MakeSkinLabel(OptionPanel, QStringLiteral("Change Language"), 28, 36);
  Language = List(OptionPanel, "Language", prefs::LanguageItems(), QRect(160, 32, 160, 24));
  MakeSkinLabel(OptionPanel, QStringLiteral("Skin"), 16, 76, true);
  MakeSkinLabel(OptionPanel, QStringLiteral("Change Skin"), 28, 106);
  Skin = List(OptionPanel, "Skin", prefs::SkinItems(), QRect(160, 102, 160, 24));
}

QImage TPreferencesForm1::Pic(const char* file) const {
  return Picture(ui_.context.productFolder, file);
}

void TPreferencesForm1::LoadValues() {
  // Without a documents folder there is no sound default: a path under the root folder would be
  // made instead, so the fields stay empty and nothing is created.
  const QString defaultOutput = DefaultWorkFolder(ui_.context, QStringLiteral("Output"));
  const QString defaultSnapshot = DefaultWorkFolder(ui_.context, QStringLiteral("Snapshot"));

  auto text = [this](const char16_t* key) {
    return store_.IsEmpty() ? QString() : QString::fromUtf16(store_->GetString(key));
  };
  auto orDefault = [](const QString& value, const QString& fallback) {
    return value.isEmpty() ? fallback : value;
  };

  ShowFolder(Destination, orDefault(text(prefs::kDestination), defaultOutput));
  ShowFolder(SnapShot, orDefault(text(prefs::kSnapShotFolder), defaultSnapshot));
  SelectText(ImageType, text(prefs::kImageType));
  SelectText(CPUUsage, text(prefs::kCpuUsage));
  SelectText(Language, orDefault(text(prefs::kLanguage), QString::fromLatin1(prefs::kDefaultLanguage)));
  SelectText(Skin, orDefault(text(prefs::kSkin), QString::fromLatin1(prefs::kDefaultSkin)));

  std::optional<int> ripping;
  int32_t stored = 0;
  if (!store_.IsEmpty() && store_->TryGetInt(prefs::kAfterRippingDone, &stored)) {
    ripping = stored;
  }
  RippingDone->setCurrentIndex(prefs::RippingDoneIndex(ripping, RippingDone->count()));
}

void TPreferencesForm1::ShowPage(bool general) {
  generalShown_ = general;
  GeneralPanel->setVisible(general);
  OptionPanel->setVisible(!general);
  SkinButtonFromImageList(ssSBGeneral, ImgLstGeneral, general ? 0 : 1);
  SkinButtonFromImageList(ssSBOption, ImgLstOpt, general ? 1 : 0);
}

void TPreferencesForm1::ssSBGeneralClick() {
  ShowPage(true);
}

void TPreferencesForm1::ssSBOptionClick() {
  ShowPage(false);
}

void TPreferencesForm1::DestBrowserClick() {
  QString folder = Destination->text();
  if (BrowseForFolder(ui_.app.GetDialogs(), this, QStringLiteral("Select the output folder"), folder)) {
    ShowFolder(Destination, folder);
  }
}

void TPreferencesForm1::SnapBrowserClick() {
  QString folder = SnapShot->text();
  if (BrowseForFolder(ui_.app.GetDialogs(), this, QStringLiteral("Select the snapshot folder"), folder)) {
    ShowFolder(SnapShot, folder);
  }
}

void TPreferencesForm1::DestOpenClick() {
  if (!Destination->text().isEmpty()) {
    ui_.app.GetShell().Open(Destination->text());
  }
}

void TPreferencesForm1::SnapOpenClick() {
  if (!SnapShot->text().isEmpty()) {
    ui_.app.GetShell().Open(SnapShot->text());
  }
}

void TPreferencesForm1::ssSBApplyClick() {
  // A failed save must not look like a successful one: the window stays open with the user's
  // choices, so they can try again or cancel knowingly.
  if (!SaveValues()) {
    Warn(file_.isEmpty() ? QStringLiteral("The preferences could not be saved.")
                         : QStringLiteral("The preferences could not be saved to \"%1\".")
                               .arg(QDir::toNativeSeparators(file_)));
    return;
  }
  accept();
}

bool TPreferencesForm1::SaveValues() {
  if (store_.IsEmpty() || file_.isEmpty()) {
    return false;
  }
  prefs::PreferenceValues values;
  values.destination = Destination->text();
  values.snapShotFolder = SnapShot->text();
  values.imageType = ImageType->currentText();
  values.afterRippingDone = RippingDone->currentIndex();
  values.cpuUsage = CPUUsage->currentText();
  values.language = Language->currentText();
  values.skin = Skin->currentText();
  prefs::WritePreferences(*store_, values);
  // Always the user's copy, even when the values were read from the product's default.
  return store_->SaveAs(U16(file_));
}

void TPreferencesForm1::ssSBHelpClick() {
  const QString productFolder = ui_.context.productFolder;
  if (!productFolder.isEmpty()) {
    ui_.app.GetShell().Open(productFolder + QStringLiteral("help.html"));
  }
}

void TPreferencesForm1::Warn(const QString& text) {
  ui_.app.GetDialogs().MessageBox(this, text, ui_.app.Title(), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Warning);
}
