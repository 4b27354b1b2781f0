#include "info/about_window.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "base/mui_context.h"
#include "info/info_pictures.h"
#include "platform/application.h"
#include "platform/shell.h"
#include "widgets/skin_catalog.h"
#include "widgets/skin_style.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, const char* colour,
                  int pixelSize = 12, bool bold = false) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setStyleSheet(QStringLiteral("color: %1; background: transparent; font-size: %2px;%3")
                           .arg(QLatin1String(colour))
                           .arg(pixelSize)
                           .arg(bold ? QStringLiteral(" font-weight: bold;") : QString()));
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

TAboutForm::TAboutForm(const UiContext& ui, QWidget* owner) : QDialog(owner), shell_(ui.app.GetShell()) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(QStringLiteral("About"));
  const MuiContext& facts = ui.context;

  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(InfoPicture(facts.productFolder, "about.bmp"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(440, 300);
  }

  const char* dim = "#A0A8B8";
  lblTitle = MakeLabel(this, "lblTitle", QStringLiteral("About"), 38, 8, "#ECEFF4", 12, true);
  MakeLabel(this, "lblVersionCaption", QStringLiteral("Version"), 24, 146, dim);
  lblVersion = MakeLabel(this, "lblVersion", facts.productVersion, 110, 146, "#ECEFF4");
  MakeLabel(this, "lblSupportCaption", QStringLiteral("Support:"), 24, 168, dim);
  lblSupport = MakeLabel(this, "lblSupport", facts.supportLink, 110, 168, "#FFAC60");
  MakeLabel(this, "lblHomeCaption", QStringLiteral("Home Page:"), 24, 190, dim);
  lblHome = MakeLabel(this, "lblHome", facts.homePageLink, 110, 190, "#FFAC60");
  lblNotice = MakeLabel(this, "lblNotice", facts.noticeText, 24, 218, "#606878", 11);
  // The notice is longer than one line of the window: it wraps inside the margins.
  lblNotice->setWordWrap(true);
  lblNotice->setFixedWidth(width() - 2 * 24);
  lblNotice->adjustSize();
  for (QLabel* link : {lblSupport, lblHome}) {
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
  }

  ssSBClose = MakeSkinButton(this, "ssSBClose", InfoPicture(facts.productFolder, "tb_close.png"), 412, 7);
  ssSBClose->SetTitleBarButton(true);
  ssSBOk = MakeSkinButton(this, "ssSBOk", InfoPicture(facts.productFolder, "btn_ok.png"), 340, 260);
  connect(ssSBOk, &TssSkinButton::OnClick, this, &QDialog::accept);
  connect(ssSBClose, &TssSkinButton::OnClick, this, &QDialog::reject);

  if (owner != nullptr) {
    move(owner->window()->geometry().center() - rect().center());
  }
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == lblSupport || watched == lblHome) {
      LinkClick(static_cast<QLabel*>(watched));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TAboutForm::LinkClick(QLabel* link) {
  // An empty context (no product configuration) leaves nothing worth handing to the desktop.
  if (!link->text().isEmpty()) {
    shell_.Open(link->text());
  }
}

void ShowAboutWindow(const UiContext& ui, QWidget* owner) {
  TAboutForm form(ui, owner);
  form.exec();
}
