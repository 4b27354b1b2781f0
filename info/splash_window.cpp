#include "info/splash_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "base/mui_context.h"
#include "info/info_pictures.h"
#include "widgets/skin_style.h"
#include "widgets/ssform.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, const char* colour,
                  int pixelSize) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setStyleSheet(QStringLiteral("color: %1; background: transparent; font-size: %2px;")
                           .arg(QLatin1String(colour))
                           .arg(pixelSize));
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

TMainMUI_SplashForm::TMainMUI_SplashForm(const MuiContext& context, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("MainMUI_SplashForm"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  const QString& version = context.productVersion;
  const QString& notice = context.noticeText;

  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(InfoPicture(context.productFolder, "splash.bmp"));
  if (ssSkinForm1->Glyph().isNull()) {
    resize(480, 280);
  }

  MakeLabel(this, "lblVersionCaption", QStringLiteral("Version"), 40, 214, "#A0A8B8", 12);
  lblVersion = MakeLabel(this, "lblVersion", version, 96, 214, "#ECEFF4", 12);
  lblNotice = MakeLabel(this, "lblNotice", notice, 40, 240, "#606878", 11);
  lblNotice->setWordWrap(true);
  lblNotice->setFixedWidth(width() - 2 * 40);
  lblNotice->adjustSize();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void ShowSplashFor(const MuiContext& context, int milliseconds) {
  // Measured from before the window exists, so a slow start does not lengthen the wait.
  QElapsedTimer clock;
  clock.start();
  auto splash = std::make_unique<TMainMUI_SplashForm>(context);
  splash->show();
  const qint64 remaining = milliseconds - clock.elapsed();
  if (remaining > 0) {
    // A local loop rather than a sleep: the splash must paint, and other timers keep running.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
  // The loop may end a hair early on a coarse clock; never hand back before the full time.
  while (clock.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(milliseconds - clock.elapsed()));
  }
  splash->close();
}
