// The clip editor's controls, placed on the wells, cards and tab row its window picture draws.
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "base/mui_context.h"
#include "editor/editor_window.h"
#include "platform/render_surface.h"
#include "settings/edition.h"
#include "widgets/skin_style.h"
#include "widgets/skin_window.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"
#include "widgets/tcroppanelex.h"
#include "widgets/tmarkpanel.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 600;
// The two wells the artwork draws, and the cards below them.
constexpr QRect kOriginalWell(24, 64, 324, 222);
constexpr QRect kOutputWell(412, 64, 324, 222);
constexpr int kPositionCardTop = 298;
constexpr int kTabTop = 400;
constexpr int kPageTop = 430;
constexpr int kPageHeight = 110;
constexpr int kCardLeft = 16;
constexpr int kCardWidth = 728;
constexpr int kFooterButtonTop = kWindowHeight - 26 - 14;
// Inside a page (page coordinates).
constexpr int kRow1 = 14;
constexpr int kRow2 = 44;
constexpr int kRow3 = 74;
constexpr int kPageResetX = kCardWidth - 16 - 84;

// A caption that ticks its box when clicked, as the box's own text would.
class LabelToggles : public QObject {
 public:
  LabelToggles(QLabel* label, QCheckBox* box) : QObject(label), box_(box) { label->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease && box_->isEnabled() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      box_->click();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QCheckBox* box_;
};

QLineEdit* TimeEdit(QWidget* parent, const char* name, int x, int y) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  // Eight characters, hh:mm:ss.
  edit->setInputMask(QStringLiteral("99:99:99"));
  edit->setGeometry(x, y, 84, 24);
  return edit;
}

QSpinBox* UpDown(QWidget* parent, const char* name, const char* editName, int x, int y) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0, 0);
  box->setGeometry(x, y, 76, 24);
  // The spin box's own edit carries the design name of the edit beside the up-down.
  if (QLineEdit* edit = box->findChild<QLineEdit*>()) {
    edit->setObjectName(QString::fromLatin1(editName));
  }
  return box;
}

QWidget* PagePanel(QWidget* parent, const char* name) {
  auto* page = new QWidget(parent);
  page->setObjectName(QString::fromLatin1(name));
  page->setGeometry(kCardLeft, kPageTop, kCardWidth, kPageHeight);
  return page;
}

}  // namespace

QString TCropForm1::SkinPath(const char* file) const {
  return ui_.context.productFolder + QStringLiteral("Skins/") + QString::fromLatin1(file);
}

QImage TCropForm1::Pic(const char* file) const {
  return QImage(SkinPath(file));
}

TssSkinButton* TCropForm1::Button(QWidget* parent, const char* name, const char* picture, int x, int y,
                                  const QString& hint) {
  TssSkinButton* button = MakeSkinButton(parent, name, Pic(picture), x, y);
  button->setToolTip(hint);
  return button;
}

void TCropForm1::BuildFrame() {
  setObjectName(QStringLiteral("CropForm1"));
  setWindowTitle(QStringLiteral("Video Edit"));
  setStyleSheet(SkinStyleSheet(ui_.context.productFolder + QStringLiteral("Skins")));
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(Pic("form_editor.png"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(kWindowWidth, kWindowHeight);
  }

  // The window has no system caption: its titles are what the user drags.
  lblTitle = MakeSkinLabel(this, QStringLiteral("Video Edit"), 38, 8, true);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblOriginal = MakeSkinLabel(this, QStringLiteral("Original Preview"), kOriginalWell.x(), 42, true);
  lblOriginal->setObjectName(QStringLiteral("lblOriginal"));
  lblOutput = MakeSkinLabel(this, QStringLiteral("Output Preview"), kOutputWell.x(), 42, true);
  lblOutput->setObjectName(QStringLiteral("lblOutput"));
  for (QLabel* title : {lblTitle, lblOriginal, lblOutput}) {
    new WindowDragger(title, Qt::LeftButton);
  }

  ssSBHelp = Button(this, "ssSBHelp", "tb_help.png", width() - 50, 7, QStringLiteral("Help"));
  ssSBHelp->SetTitleBarButton(true);
  ssSBClose = Button(this, "ssSBClose", "tb_close.png", width() - 28, 7, QStringLiteral("Close"));
  ssSBClose->SetTitleBarButton(true);
  ssSBReset = Button(this, "ssSBReset", "btn_reset.png", kCardLeft, kFooterButtonTop,
                     QStringLiteral("Reset all settings"));
  ssSBOk = Button(this, "ssSBOk", "btn_ok.png", width() - 16 - 84 - 8 - 84, kFooterButtonTop,
                  QStringLiteral("OK"));
  ssSBCancel = Button(this, "ssSBCancel", "btn_cancel.png", width() - 16 - 84, kFooterButtonTop,
                      QStringLiteral("Cancel"));
  connect(ssSBHelp, &TssSkinButton::OnClick, this, &TCropForm1::ssSBHelpClick);
  connect(ssSBClose, &TssSkinButton::OnClick, this, &QDialog::reject);
  connect(ssSBCancel, &TssSkinButton::OnClick, this, &QDialog::reject);
  connect(ssSBOk, &TssSkinButton::OnClick, this, &TCropForm1::ssSBOkClick);
  connect(ssSBReset, &TssSkinButton::OnClick, this, &TCropForm1::ssSBResetClick);
}

void TCropForm1::BuildViews() {
  ImageOriOuter = new QWidget(this);
  ImageOriOuter->setObjectName(QStringLiteral("ImageOriOuter"));
  ImageOriOuter->setGeometry(kOriginalWell);
  ImageView2 = new QLabel(ImageOriOuter);
  ImageView2->setObjectName(QStringLiteral("ImageView2"));
  ImageView2->setGeometry(0, 0, kOriginalWell.width(), kOriginalWell.height());
  ImageOriginal = new QLabel(ImageOriOuter);
  ImageOriginal->setObjectName(QStringLiteral("ImageOriginal"));
  ImageOriginal->setGeometry(0, 0, kOriginalWell.width(), kOriginalWell.height());
  ImageOriginal->hide();

  ImageOuter = new QWidget(this);
  ImageOuter->setObjectName(QStringLiteral("ImageOuter"));
  ImageOuter->setGeometry(kOutputWell);
  ImageView1 = new QLabel(ImageOuter);
  ImageView1->setObjectName(QStringLiteral("ImageView1"));
  ImageView1->setGeometry(0, 0, kOutputWell.width(), kOutputWell.height());

  // The boxes lie on the window over the wells; the preview places them inside their well.
  CropPanel1 = new TCropPanelEx(this);
  CropPanel1->setObjectName(QStringLiteral("CropPanel1"));
  CropPanel1->fSetTransparent(50);
  CropPanel1->SetBevelWidth(0);
  CropPanel1->SetBevelOuter(bvNone);
  CropPanel1->SetColor(Qt::black);
  CropPanel1->setGeometry(kOriginalWell);
  CropPanel1->hide();
  MarkPanel1 = new TMarkPanel(this);
  MarkPanel1->setObjectName(QStringLiteral("MarkPanel1"));
  MarkPanel1->SetColor(QColor(128, 0, 0));
  MarkPanel1->SetBevelOuter(bvNone);
  MarkPanel1->fSetEnableMark(true);
  MarkPanel1->setGeometry(kOutputWell);
  MarkPanel1->hide();
  QPen pen(QColor(255, 255, 0));
  pen.setStyle(Qt::DashDotDotLine);
  pen.setWidth(1);
  CropPanel1->SetBoxPen(pen);
  MarkPanel1->SetBoxPen(pen);

  HiddenPanel1 = new platform::RenderSurface(this);
  HiddenPanel1->setObjectName(QStringLiteral("HiddenPanel1"));
  HiddenPanel1->setGeometry(0, 0, 1, 1);
  HiddenPanel1->hide();

  connect(CropPanel1, &TCropPanelEx::OnDragCrop, this, [this] { CropPanel1DragCrop(); });
  connect(MarkPanel1, &TMarkPanel::OnDragMark, this, [this] { MarkPanel1DragMark(); });
}

void TCropForm1::BuildPosition() {
  const int top = kPositionCardTop;
  SkinProcess1 = new TSkinProcess(this);
  SkinProcess1->setObjectName(QStringLiteral("SkinProcess1"));
  SkinProcess1->setGeometry(32, top + 22, 696, 8);
  SkinProcess1->SetPicture(Pic("etrack.png"));
  SkinProcess1->SetImage2(SkinPath("progress.bmp"));
  SkinProcess1->SetImage3(SkinPath("slide.bmp"));
  SkinProcess1->SetBaseLine(4);
  SkinProcess1->SetFreeMode(true);
  SkinProcess1->SetExtRange(1, SkinProcess1->width() - 2);
  SkinProcess1->Setprocess(0);
  connect(SkinProcess1, &TSkinProcess::OnProcessChange, this, &TCropForm1::SkinProcess1Change);

  // The handles hang below the track, the start handle left of its time and the end handle right of
  // its time.
  ssSBLeft = Button(this, "ssSBLeft", "handle_start.png", 32, top + 32, QStringLiteral("Set trim start"));
  ssSBRight =
      Button(this, "ssSBRight", "handle_end.png", 32 + 696 - 9, top + 32, QStringLiteral("Set trim end"));
  for (TssSkinButton* handle : {ssSBLeft, ssSBRight}) {
    handle->installEventFilter(this);
  }

  lblProg = MakeSkinLabel(this, QStringLiteral("00:00:00 / 00:00:00"), 600, top + 52);
  lblProg->setObjectName(QStringLiteral("lblProg"));
  lblProg->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblProg->setGeometry(560, top + 56, 168, 18);

  const int y = top + 46;
  ssSBPlay = Button(this, "ssSBPlay", "ctl_play.png", 32, y, QStringLiteral("Play"));
  ssSBStop = Button(this, "ssSBStop", "ctl_stop.png", 76, y, QStringLiteral("Stop"));
  ssSBNext = Button(this, "ssSBNext", "ctl_next_frame.png", 120, y, QStringLiteral("Next frame"));
  ssSBPlaySec = Button(this, "ssSBPlaySec", "ctl_play_trimmed.png", 164, y, QStringLiteral("Play trimmed"));
  ssSBTrimStart = Button(this, "ssSBTrimStart", "ctl_mark_start.png", 224, y,
                         QStringLiteral("Mark current position as trim start"));
  ssSBTrimEnd = Button(this, "ssSBTrimEnd", "ctl_mark_end.png", 268, y,
                       QStringLiteral("Mark current position as trim end"));
  playPictures_[0] = Pic("ctl_play.png");
  playPictures_[1] = Pic("ctl_pause.png");
  connect(ssSBPlay, &TssSkinButton::OnClick, this, &TCropForm1::ssSBPlayClick);
  connect(ssSBStop, &TssSkinButton::OnClick, this, &TCropForm1::ssSBStopClick);
  connect(ssSBNext, &TssSkinButton::OnClick, this, &TCropForm1::ssSBNextClick);
  connect(ssSBPlaySec, &TssSkinButton::OnClick, this, &TCropForm1::ssSBPlaySecClick);
  connect(ssSBTrimStart, &TssSkinButton::OnClick, this, &TCropForm1::ssSBTrimStartClick);
  connect(ssSBTrimEnd, &TssSkinButton::OnClick, this, &TCropForm1::ssSBTrimEndClick);

  QLabel* volume = MakeSkinLabel(this, QStringLiteral("Volume"), 340, y + 11);
  volume->setObjectName(QStringLiteral("lblVolume"));
  SPVolume = EffectSlider(this, "SPVolume", "progress.bmp", 400, y + 16, 140);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TCropForm1::Timer1Timer);
}

TSkinProcess* TCropForm1::EffectSlider(QWidget* parent, const char* name, const char* fill, int x, int y,
                                       int width) {
  auto* slider = new TSkinProcess(parent);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setGeometry(x, y, width, 8);
  slider->SetPicture(Pic("etrack.png"));
  slider->SetImage2(SkinPath(fill));
  slider->SetImage3(SkinPath("slide.bmp"));
  slider->SetBaseLine(4);
  slider->SetExtRange(0, slider->width());
  slider->SetMoveChangeNotify(true);
  slider->Setprocess(0);
  connect(slider, &TSkinProcess::OnProcessChange, this,
          [this, slider](int percent) { EffectSliderChange(slider, percent); });
  return slider;
}

void TCropForm1::BuildPages() {
  struct Tab {
    TssSkinButton** button;
    const char* name;
    const char* normal;
    const char* shown;
    const char* hint;
  };
  const Tab tabs[4] = {
      {&ssSBTrim, "ssSBTrim", "tab_trim.png", "tab_trim_on.png", "Trim focused item"},
      {&ssSBCrop, "ssSBCrop", "tab_crop.png", "tab_crop_on.png", "Crop focused item"},
      {&ssSBEffect, "ssSBEffect", "tab_effect.png", "tab_effect_on.png", "Set visual effect"},
      {&ssSBMark, "ssSBMark", "tab_mark.png", "tab_mark_on.png", "Set the watermark of file you convert"},
  };
  for (int page = 0; page < 4; ++page) {
    const Tab& tab = tabs[page];
    tabPictures_[page][0] = Pic(tab.normal);
    tabPictures_[page][1] = Pic(tab.shown);
    *tab.button =
        Button(this, tab.name, tab.normal, kCardLeft + page * 114, kTabTop, QString::fromLatin1(tab.hint));
    connect(*tab.button, &TssSkinButton::OnClick, this, [this, page] { PageButtonClick(page); });
  }
  BuildTrimPage();
  BuildCropPage();
  BuildEffectPage();
  BuildMarkPage();
}

void TCropForm1::BuildTrimPage() {
  PanelTrim = PagePanel(this, "PanelTrim");
  struct Field {
    const char* caption;
    QLineEdit** edit;
    const char* editName;
    TssSkinButton** set;
    const char* setName;
    const char* hint;
  };
  const Field fields[3] = {
      {"Start Time", &edtTrimStart, "edtTrimStart", &ssSBSetTrimStart, "ssSBSetTrimStart", "Set trim start"},
      {"End Time", &edtTrimEnd, "edtTrimEnd", &ssSBSetTrimEnd, "ssSBSetTrimEnd", "Set trim end"},
      {"Select Length", &edtTrimLength, "edtTrimLength", &ssSBSetTrimLength, "ssSBSetTrimLength",
       "Set trim length"},
  };
  for (int i = 0; i < 3; ++i) {
    const int x = 16 + i * 190;
    MakeSkinLabel(PanelTrim, QString::fromLatin1(fields[i].caption), x, kRow1);
    *fields[i].edit = TimeEdit(PanelTrim, fields[i].editName, x, kRow2 - 4);
    *fields[i].set = Button(PanelTrim, fields[i].setName, "btn_set.png", x + 90, kRow2 - 4,
                            QString::fromLatin1(fields[i].hint));
  }
  ssSBResetTrim =
      Button(PanelTrim, "ssSBResetTrim", "btn_reset.png", kPageResetX, kRow3, QStringLiteral("Reset trim"));
  connect(ssSBSetTrimStart, &TssSkinButton::OnClick, this, &TCropForm1::ssSBSetTrimStartClick);
  connect(ssSBSetTrimEnd, &TssSkinButton::OnClick, this, &TCropForm1::ssSBSetTrimEndClick);
  connect(ssSBSetTrimLength, &TssSkinButton::OnClick, this, &TCropForm1::ssSBSetTrimLengthClick);
  connect(ssSBResetTrim, &TssSkinButton::OnClick, this, &TCropForm1::ssSBResetTrimClick);
}

void TCropForm1::BuildCropPage() {
  PanelCrop = PagePanel(this, "PanelCrop");
  MakeSkinLabel(PanelCrop, QStringLiteral("Zoom Mode"), 16, kRow1);
  cmbZoom = new QComboBox(PanelCrop);
  cmbZoom->setObjectName(QStringLiteral("cmbZoom"));
  cmbZoom->addItems({QStringLiteral("Full Screen"), QStringLiteral("Keep Original"), QStringLiteral("16 : 9"),
                     QStringLiteral("4 : 3")});
  cmbZoom->setGeometry(16, kRow2 - 4, 150, 24);
  connect(cmbZoom, &QComboBox::activated, this, &TCropForm1::cmbZoomChange);

  struct Margin {
    const char* caption;
    QSpinBox** upDown;
    const char* name;
    const char* editName;
  };
  const Margin margins[4] = {
      {"Left", &UpDownLeft, "UpDownLeft", "edtLeft"},
      {"Top", &UpDownTop, "UpDownTop", "edtTop"},
      {"Right", &UpDownRight, "UpDownRight", "edtRight"},
      {"Bottom", &UpDownBottom, "UpDownBottom", "edtBottom"},
  };
  for (int i = 0; i < 4; ++i) {
    const int x = 200 + i * 100;
    MakeSkinLabel(PanelCrop, QString::fromLatin1(margins[i].caption), x, kRow1);
    QSpinBox* box = UpDown(PanelCrop, margins[i].name, margins[i].editName, x, kRow2 - 4);
    *margins[i].upDown = box;
    connect(box, &QSpinBox::valueChanged, this, [this, box](int value) { UpDownMarginChange(box, value); });
  }
  ssSBResetCrop =
      Button(PanelCrop, "ssSBResetCrop", "btn_reset.png", kPageResetX, kRow3, QStringLiteral("Reset crop"));
  connect(ssSBResetCrop, &TssSkinButton::OnClick, this, &TCropForm1::ssSBResetCropClick);
}

void TCropForm1::BuildEffectPage() {
  PanelEffect = PagePanel(this, "PanelEffect");
  struct Row {
    const char* caption;
    TSkinProcess** slider;
    const char* name;
  };
  const Row rows[3] = {
      {"Brightness", &SPBrightness, "SPBrightness"},
      {"Contrast", &SPContrast, "SPContrast"},
      {"Saturation", &SPSaturation, "SPSaturation"},
  };
  for (int i = 0; i < 3; ++i) {
    const int y = 12 + i * 30;
    MakeSkinLabel(PanelEffect, QString::fromLatin1(rows[i].caption), 16, y);
    MakeSkinLabel(PanelEffect, QStringLiteral("-100"), 110, y);
    *rows[i].slider = EffectSlider(PanelEffect, rows[i].name, "eprogress.bmp", 150, y + 5, 220);
    MakeSkinLabel(PanelEffect, QStringLiteral("+100"), 380, y);
  }

  DICheckBox1 = new QCheckBox(PanelEffect);
  DICheckBox1->setObjectName(QStringLiteral("DICheckBox1"));
  DICheckBox1->setGeometry(460, 12, 18, 18);
  lblDI = MakeSkinLabel(PanelEffect, QStringLiteral("Deinterlacing"), 484, 12);
  lblDI->setObjectName(QStringLiteral("lblDI"));
  for (QWidget* control : {static_cast<QWidget*>(DICheckBox1), static_cast<QWidget*>(lblDI)}) {
    control->setToolTip(QStringLiteral("Eliminate interlacing"));
  }
  new LabelToggles(lblDI, DICheckBox1);
  EffectAllCheckBox1 = new QCheckBox(PanelEffect);
  EffectAllCheckBox1->setObjectName(QStringLiteral("EffectAllCheckBox1"));
  EffectAllCheckBox1->setGeometry(460, 42, 18, 18);
  lblEffectAll = MakeSkinLabel(PanelEffect, QStringLiteral("Apply to All"), 484, 42);
  lblEffectAll->setObjectName(QStringLiteral("lblEffectAll"));
  for (QWidget* control : {static_cast<QWidget*>(EffectAllCheckBox1), static_cast<QWidget*>(lblEffectAll)}) {
    control->setToolTip(QStringLiteral("Apply settings to all items"));
  }
  new LabelToggles(lblEffectAll, EffectAllCheckBox1);
  connect(DICheckBox1, &QCheckBox::clicked, this, &TCropForm1::DICheckBox1Click);
  // The "Apply to All" box sends the effects again, deinterlacing included, as the deinterlace box does.
  connect(EffectAllCheckBox1, &QCheckBox::clicked, this, &TCropForm1::DICheckBox1Click);
  ssSBResetEffect = Button(PanelEffect, "ssSBResetEffect", "btn_reset.png", kPageResetX, kRow3,
                           QStringLiteral("Reset effects"));
  connect(ssSBResetEffect, &TssSkinButton::OnClick, this, &TCropForm1::ssSBResetEffectClick);
}

void TCropForm1::BuildMarkPage() {
  PanelWatermark = PagePanel(this, "PanelWatermark");
  EnableWatermark = new QCheckBox(PanelWatermark);
  EnableWatermark->setObjectName(QStringLiteral("EnableWatermark"));
  EnableWatermark->setGeometry(16, 10, 18, 18);
  lblEnableWM = MakeSkinLabel(PanelWatermark, QStringLiteral("Enable Watermark"), 40, 10);
  lblEnableWM->setObjectName(QStringLiteral("lblEnableWM"));
  for (QWidget* control : {static_cast<QWidget*>(EnableWatermark), static_cast<QWidget*>(lblEnableWM)}) {
    control->setToolTip(QStringLiteral("Add watermark to video"));
  }
  new LabelToggles(lblEnableWM, EnableWatermark);
  connect(EnableWatermark, &QCheckBox::clicked, this, &TCropForm1::EnableWatermarkClick);

  rbText = new QRadioButton(QStringLiteral("Text"), PanelWatermark);
  rbText->setObjectName(QStringLiteral("rbText"));
  rbText->setToolTip(QStringLiteral("Use text as watermark"));
  rbText->setGeometry(16, 42, 80, 22);
  edtText = new QLineEdit(PanelWatermark);
  edtText->setObjectName(QStringLiteral("edtText"));
  edtText->setGeometry(100, 40, 200, 24);
  ssSBFont = Button(PanelWatermark, "ssSBFont", "btn_font.png", 306, 40, QStringLiteral("Set text font"));
  rbPicture = new QRadioButton(QStringLiteral("Picture"), PanelWatermark);
  rbPicture->setObjectName(QStringLiteral("rbPicture"));
  rbPicture->setToolTip(QStringLiteral("Use Picture as watermark"));
  rbPicture->setGeometry(16, 74, 80, 22);
  edtPicture = new QLineEdit(PanelWatermark);
  edtPicture->setObjectName(QStringLiteral("edtPicture"));
  edtPicture->setReadOnly(true);
  edtPicture->setGeometry(100, 72, 200, 24);
  ssSBPicture =
      Button(PanelWatermark, "ssSBPicture", "btn_pick.png", 306, 72, QStringLiteral("Select a picture"));
  connect(rbText, &QRadioButton::clicked, this, [this] { rbTypeClick(1); });
  connect(rbPicture, &QRadioButton::clicked, this, [this] { rbTypeClick(2); });
  connect(edtText, &QLineEdit::textEdited, this, &TCropForm1::edtTextChange);
  connect(ssSBFont, &TssSkinButton::OnClick, this, &TCropForm1::ssSBFontClick);
  connect(ssSBPicture, &TssSkinButton::OnClick, this, &TCropForm1::ssSBPictureClick);

  struct Number {
    const char* caption;
    QSpinBox** upDown;
    const char* name;
    const char* editName;
  };
  const Number numbers[3] = {
      {"Horizontal", &UpDownHori, "UpDownHori", "edtHorizontal"},
      {"Vertical", &UpDownVert, "UpDownVert", "edtVertical"},
      {"Transparent", &UpDownTrans, "UpDownTrans", "edtTransparent"},
  };
  for (int i = 0; i < 3; ++i) {
    const int y = 10 + i * 31;
    MakeSkinLabel(PanelWatermark, QString::fromLatin1(numbers[i].caption), 400, y + 3);
    *numbers[i].upDown = UpDown(PanelWatermark, numbers[i].name, numbers[i].editName, 490, y);
  }
  // Transparency wraps around at its ends, so the up-down may step one beyond each.
  UpDownTrans->setRange(-1, 100);
  connect(UpDownHori, &QSpinBox::valueChanged, this, &TCropForm1::UpDownHoriChange);
  connect(UpDownVert, &QSpinBox::valueChanged, this, &TCropForm1::UpDownVertChange);
  connect(UpDownTrans, &QSpinBox::valueChanged, this, &TCropForm1::UpDownTransChange);
  ssSBWMReset = Button(PanelWatermark, "ssSBWMReset", "btn_reset.png", kPageResetX, kRow3,
                       QStringLiteral("Reset watermark"));
  connect(ssSBWMReset, &TssSkinButton::OnClick, this, &TCropForm1::ssSBWMResetClick);
}

void TCropForm1::ApplyAudioEdition() {
  audioEdition_ = IsAudioEdition(ui_.context);
  if (!audioEdition_) {
    return;
  }
  for (QWidget* control : {static_cast<QWidget*>(ssSBCrop), static_cast<QWidget*>(ssSBEffect),
                           static_cast<QWidget*>(ssSBMark), PanelCrop, PanelEffect, PanelWatermark}) {
    control->hide();
  }
  ssSBTrim->move(ssSBEffect->pos());
  CropPanel1->setEnabled(false);
}
