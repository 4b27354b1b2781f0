#include "info/properties_window.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>

#include "base/mui_context.h"
#include "info/info_pictures.h"
#include "info/properties_text.h"
#include "platform/application.h"
#include "platform/shell.h"
#include "tasks/mui_item_info.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

// Where the artwork draws the two information cards: their tops, and the columns inside them.
constexpr int kVideoCardTop = 44;
constexpr int kAudioCardTop = 160;
constexpr int kCardRight = 343;
constexpr int kHeadingX = 30;
constexpr int kCaptionX = 42;
constexpr int kValueX = 140;
constexpr int kValueWidth = kCardRight - 12 - kValueX;
constexpr int kHeadingOffset = 10;
constexpr int kFirstRowOffset = 34;
constexpr int kRowStep = 22;
constexpr int kValueHeight = 16;

constexpr int kValuePixels = 12;
constexpr int kSmallestValuePixels = 8;

QLabel* Value(QWidget* parent, const char* name, int y) {
  auto* label = new QLabel(QString::fromLatin1(kNotAvailable), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(kValueX, y, kValueWidth, kValueHeight);
  return label;
}

// A value comes from the file and can be long (a channel layout spelled out speaker by speaker, a
// codec name that fills its field): rather than cut it at the card's edge, it is drawn smaller, and
// what even the smallest size cannot hold is also given whole as the tooltip.
void ShowValue(QLabel* label, const QString& text) {
  label->setText(text);
  label->setStyleSheet(QString());
  label->ensurePolished();
  QFont font = label->font();
  int pixels = kValuePixels;
  for (; pixels > kSmallestValuePixels; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(text) <= label->width()) {
      break;
    }
  }
  font.setPixelSize(pixels);
  if (pixels != kValuePixels) {
    // The window's style sheet sets the size of every label; only a sheet of the label's own beats it.
    label->setStyleSheet(QStringLiteral("font-size: %1px;").arg(pixels));
  }
  const bool fits = QFontMetrics(font).horizontalAdvance(text) <= label->width();
  label->setToolTip(fits ? QString() : text);
}

}  // namespace

TPropertiesForm1::TPropertiesForm1(const UiContext& ui, QWidget* owner) : QDialog(owner), ui_(ui) {
  setObjectName(QStringLiteral("PropertiesForm1"));
  setWindowTitle(QStringLiteral("Properties"));
  const QString productFolder = ui_.context.productFolder;
  setStyleSheet(
      SkinStyleSheet(productFolder.isEmpty() ? QString() : productFolder + QStringLiteral("Skins")));

  BuildFrame();
  BuildCards();

  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

void TPropertiesForm1::BuildFrame() {
  const QString& productFolder = ui_.context.productFolder;
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(InfoPicture(productFolder, "form_properties.png"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(360, 320);
  }

  lblTitle = MakeSkinLabel(this, QStringLiteral("Properties"), 38, 8, true);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  // The window has no system caption: its title is what the user drags.
  new WindowDragger(lblTitle, Qt::LeftButton);

  SBtnHelp = MakeSkinButton(this, "SBtnHelp", InfoPicture(productFolder, "tb_help.png"), width() - 50, 7);
  SBtnHelp->SetTitleBarButton(true);
  SBtnClose = MakeSkinButton(this, "SBtnClose", InfoPicture(productFolder, "tb_close.png"), width() - 28, 7);
  SBtnClose->SetTitleBarButton(true);
  ssSkinButton1 = MakeSkinButton(this, "ssSkinButton1", InfoPicture(productFolder, "btn_close.png"),
                                 width() - 16 - 84, height() - 26 - 14);
  connect(SBtnHelp, &TssSkinButton::OnClick, this, &TPropertiesForm1::SBtnHelpClick);
  connect(SBtnClose, &TssSkinButton::OnClick, this, &QDialog::reject);
  connect(ssSkinButton1, &TssSkinButton::OnClick, this, &QDialog::reject);
}

void TPropertiesForm1::BuildCards() {
  auto row = [](int cardTop, int index) { return cardTop + kFirstRowOffset + index * kRowStep; };

  MakeSkinLabel(this, QStringLiteral("Video Information"), kHeadingX, kVideoCardTop + kHeadingOffset, true);
  MakeSkinLabel(this, QStringLiteral("Resolution:"), kCaptionX, row(kVideoCardTop, 0));
  lblResInfo = Value(this, "lblResInfo", row(kVideoCardTop, 0));
  MakeSkinLabel(this, QStringLiteral("Frame Rate:"), kCaptionX, row(kVideoCardTop, 1));
  lblFrameRateinfo = Value(this, "lblFrameRateinfo", row(kVideoCardTop, 1));
  MakeSkinLabel(this, QStringLiteral("Video Encoder:"), kCaptionX, row(kVideoCardTop, 2));
  lblVCodecInfo = Value(this, "lblVCodecInfo", row(kVideoCardTop, 2));

  MakeSkinLabel(this, QStringLiteral("Audio Information"), kHeadingX, kAudioCardTop + kHeadingOffset, true);
  MakeSkinLabel(this, QStringLiteral("Sample Rate:"), kCaptionX, row(kAudioCardTop, 0));
  lblAudioSampRateinfo = Value(this, "lblAudioSampRateinfo", row(kAudioCardTop, 0));
  MakeSkinLabel(this, QStringLiteral("Channels:"), kCaptionX, row(kAudioCardTop, 1));
  lblChannelsinfo = Value(this, "lblChannelsinfo", row(kAudioCardTop, 1));
  MakeSkinLabel(this, QStringLiteral("Audio Encoder:"), kCaptionX, row(kAudioCardTop, 2));
  lblACodecInfo = Value(this, "lblACodecInfo", row(kAudioCardTop, 2));
}

bool TPropertiesForm1::FillInfo(const MuiItemInfo& item) {
  const PropertiesText text = PropertiesTextOf(item.input.media, item.audioIndex);
  ShowValue(lblResInfo, text.resolution);
  ShowValue(lblFrameRateinfo, text.frameRate);
  ShowValue(lblVCodecInfo, text.videoEncoder);
  ShowValue(lblAudioSampRateinfo, text.sampleRate);
  ShowValue(lblChannelsinfo, text.channels);
  ShowValue(lblACodecInfo, text.audioEncoder);
  return true;
}

void TPropertiesForm1::SBtnHelpClick() {
  // Without a product folder there is no help file to name; a bare "help.html" would be resolved
  // against whatever folder the desktop happens to be in.
  const QString& productFolder = ui_.context.productFolder;
  if (!productFolder.isEmpty()) {
    ui_.app.GetShell().Open(productFolder + QStringLiteral("help.html"));
  }
}
