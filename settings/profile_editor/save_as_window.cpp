#include "settings/profile_editor/save_as_window.h"

#include <QLabel>
#include <QLineEdit>

#include "base/mui_context.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "settings/catalogue.h"
#include "settings/profile_editor/editor_pictures.h"
#include "settings/profile_setting.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 170;

constexpr char kNameTakenMessage[] = "The profile name exists, please enter a new one.";

}  // namespace

TSettingSaveAsForm1::TSettingSaveAsForm1(const UiContext& ui, QWidget* owner) : QDialog(owner), ui_(ui) {
  setObjectName(QStringLiteral("SettingSaveAsForm1"));
  setWindowTitle(QStringLiteral("Save as ..."));
  const QString productFolder = ui_.context.productFolder;
  setStyleSheet(
      SkinStyleSheet(productFolder.isEmpty() ? QString() : productFolder + QStringLiteral("Skins")));

  BuildFrame();

  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

QImage TSettingSaveAsForm1::Pic(const char* file) const {
  return ProfileEditorPicture(ui_.context.productFolder, file);
}

void TSettingSaveAsForm1::BuildFrame() {
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(Pic("form_saveas.png"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(kWidth, kHeight);
  }

  lblTitle = MakeSkinLabel(this, QStringLiteral("Save as ..."), 38, 8, true);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  // The window has no system caption: its title is what the user drags.
  new WindowDragger(lblTitle, Qt::LeftButton);
  ssSBClose = MakeSkinButton(this, "ssSBClose", Pic("tb_close.png"), width() - 28, 7);
  ssSBClose->SetTitleBarButton(true);
  connect(ssSBClose, &TssSkinButton::OnClick, this, &QDialog::reject);

  QLabel* prompt = MakeSkinLabel(this, QStringLiteral("The new profile's name:"), 24, 44);
  prompt->setObjectName(QStringLiteral("lblPrompt"));
  edtProfileName = new QLineEdit(this);
  edtProfileName->setObjectName(QStringLiteral("edtProfileName"));
  edtProfileName->setGeometry(24, 68, width() - 48, 26);

  const int buttonY = height() - 26 - 14;
  ssSBOK = MakeSkinButton(this, "ssSBOK", Pic("btn_ok.png"), width() - 16 - 84 - 8 - 84, buttonY);
  ssSBCancel = MakeSkinButton(this, "ssSBCancel", Pic("btn_cancel.png"), width() - 16 - 84, buttonY);
  connect(ssSBOK, &TssSkinButton::OnClick, this, &TSettingSaveAsForm1::ssSBOKClick);
  connect(ssSBCancel, &TssSkinButton::OnClick, this, &QDialog::reject);
  // Enter in the name box means OK, as the window's only text box invites.
  connect(edtProfileName, &QLineEdit::returnPressed, this, &TSettingSaveAsForm1::ssSBOKClick);
}

void TSettingSaveAsForm1::Setup(ConverterSettings& catalogue, ProfileSetting& profile) {
  catalogue_ = &catalogue;
  profile_ = &profile;
  newProfile_ = nullptr;
  edtProfileName->setText(profile.ProfileName);
  edtProfileName->selectAll();
  edtProfileName->setFocus();
}

void TSettingSaveAsForm1::ssSBOKClick() {
  if (catalogue_ == nullptr || edtProfileName->text().isEmpty()) {
    return;
  }
  profile_->ProfileName = edtProfileName->text();
  ProfileSetting* added = catalogue_->AddUserProfile(*profile_);
  if (added == nullptr) {
    ui_.app.GetDialogs().MessageBox(this, QString::fromLatin1(kNameTakenMessage), ui_.app.Title(),
                                    platform::MsgButtons::Ok, platform::MsgIcon::Warning);
    return;
  }
  newProfile_ = added;
  accept();
}
