#include "convert/progress_window.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSaveFile>
#include <QShowEvent>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/folders.h"
#include "base/mui_context.h"
#include "base/qt_text.h"
#include "base/routines.h"
#include "components/field_text.h"
#include "components/i_ff_preview.h"
#include "components/i_save_option_xml.h"
#include "components/text_utf.h"
#include "convert/batch_report.h"
#include "convert/end_of_batch.h"
#include "convert/shutdown_countdown.h"
#include "platform/application.h"
#include "platform/dialogs.h"
#include "platform/notifier.h"
#include "platform/termination_signals.h"
#include "settings/preferences/preference_values.h"
#include "widgets/skin_style.h"
#include "widgets/ssbutton.h"
#include "widgets/ssform.h"
#include "widgets/tskinprocess.h"

namespace {

constexpr int kFormWidth = 560;
constexpr int kFormHeight = 470;
constexpr int kTimerMs = 200;
// How long a program told to end waits for the engine to clean up; the close waits for it anyway.
constexpr int kTerminationWaitMs = 10000;
constexpr int kBitmapHeaderSize = 54;
constexpr char kCaption[] = "Convert";

// Rows of a 24-bit bitmap are padded to whole 4-byte words.
int BitmapStride(int width) {
  return (width * 3 + 3) & ~3;
}

// A 24-bit bitmap file with top-down rows (negative height), all pixels black.
QByteArray NewBitmap(int width, int height) {
  const int pixelBytes = BitmapStride(width) * height;
  QByteArray bitmap(kBitmapHeaderSize + pixelBytes, '\0');
  uchar* p = reinterpret_cast<uchar*>(bitmap.data());
  p[0] = 'B';
  p[1] = 'M';
  qToLittleEndian<quint32>(static_cast<quint32>(bitmap.size()), p + 2);
  qToLittleEndian<quint32>(kBitmapHeaderSize, p + 10);
  qToLittleEndian<quint32>(40, p + 14);
  qToLittleEndian<qint32>(width, p + 18);
  qToLittleEndian<qint32>(-height, p + 22);
  qToLittleEndian<quint16>(1, p + 26);
  qToLittleEndian<quint16>(24, p + 28);
  qToLittleEndian<quint32>(static_cast<quint32>(pixelBytes), p + 34);
  return bitmap;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, int x, int y) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->move(x, y);
  box->adjustSize();
  return box;
}

TssSkinButton* NewButton(QWidget* parent, const char* name, const QString& picture, int x, int y) {
  auto* button = new TssSkinButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->SetDivNum(4);
  button->SetSkin(QImage(picture));
  button->move(x, y);
  return button;
}

TSkinProcess* NewBar(QWidget* parent, const char* name, const QString& skins, int y) {
  constexpr int kBarX = 28;
  constexpr int kBarWidth = 504;
  auto* bar = new TSkinProcess(parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setGeometry(kBarX, y, kBarWidth, 20);
  bar->SetPicture(QImage(skins + "ctrack.png"));
  bar->SetImage2(skins + "cprogress.bmp");
  bar->SetBaseLine(10);
  bar->SetExtRange(0, bar->width());
  bar->Setprocess(0);
  return bar;
}

}  // namespace

TRipDlg_Form1::TRipDlg_Form1(const UiContext& ui, QWidget* owner, WallClock clock)
    : QDialog(owner), ui_(ui), progress_(std::move(clock)) {
  setObjectName(QStringLiteral("TRipDlg_Form1"));
  setModal(true);
  setWindowTitle(QStringLiteral("Converting"));
  CreateInto(engine_, kFfConverterName);
  BuildControls();

  // Only the starting state of the box: the user decides in this window.
  cbShutDown->setChecked(prefs::StoredAfterRippingDone(ui_.context) == 1);

  ProgTimer2.setParent(this);
  ProgTimer2.setObjectName(QStringLiteral("ProgTimer2"));
  ProgTimer2.setInterval(kTimerMs);
  connect(&ProgTimer2, &QTimer::timeout, this, &TRipDlg_Form1::ProgTimer2Timer);
}

TRipDlg_Form1::~TRipDlg_Form1() {
  if (terminationHandler_ != 0) {
    ui_.app.RemoveTerminationHandler(terminationHandler_);
  }
}

void TRipDlg_Form1::BuildControls() {
  const QString skins = ui_.context.productFolder + "Skins/";
  setStyleSheet(SkinStyleSheet(skins));
  setFixedSize(kFormWidth, kFormHeight);
  ssSkinForm1 = new TssSkinForm(this);
  ssSkinForm1->setObjectName(QStringLiteral("ssSkinForm1"));
  ssSkinForm1->SetPicture(QImage(skins + "form_progress.png"));

  lblTitle = NewLabel(this, "lblTitle", QStringLiteral("Converting"), 38, 8);
  ssSBClose = NewButton(this, "ssSBClose", skins + "tb_close.png", kFormWidth - 28, 7);
  ssSBClose->SetTitleBarButton(true);

  ImagePreview = new QLabel(this);
  ImagePreview->setObjectName(QStringLiteral("ImagePreview"));
  ImagePreview->setGeometry(24, 48, 312, 232);
  ImagePreview->setScaledContents(true);

  constexpr int kSideX = 352;
  constexpr int kSideWidth = 180;
  lblBanner = NewLabel(this, "lblBanner", QStringLiteral("Creating File: "), kSideX, 52);
  lblBanner->setWordWrap(true);
  lblBanner->setFixedWidth(kSideWidth);
  lblBanner->setMinimumHeight(48);
  lblBanner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTaskIndex = NewLabel(this, "lblTaskIndex", QStringLiteral("[1/1]"), kSideX, 108);

  // Each box with a label beside it that toggles it: the labels wrap, the boxes alone could not.
  constexpr int kBoxLabelX = kSideX + 22;
  constexpr int kBoxLabelWidth = kSideWidth - 22;
  const auto boxLabel = [&](const char* name, const QString& text, int y) {
    QLabel* label = NewLabel(this, name, text, kBoxLabelX, y);
    label->setWordWrap(true);
    label->setFixedWidth(kBoxLabelWidth);
    label->adjustSize();
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
  };
  cbPreview = NewCheckBox(this, "cbPreview", kSideX, 140);
  lblPreview = boxLabel("lblPreview", QStringLiteral("Show Preview"), 140);
  cbShutDown = NewCheckBox(this, "cbShutDown", kSideX, 180);
  lblShutDown = boxLabel("lblShutDown", QStringLiteral("Shut down computer when conversion completed"), 180);
  cbOpenFolder = NewCheckBox(this, "cbOpenFolder", kSideX, 228);
  lblOpenFolder =
      boxLabel("lblOpenFolder", QStringLiteral("Open output folder when conversion completed"), 228);
  cbPreview->setChecked(true);
  connect(cbPreview, &QCheckBox::clicked, this, &TRipDlg_Form1::CbPreviewClick);

  SkinProcess1 = NewBar(this, "SkinProcess1", skins, 306);
  SkinProcess2 = NewBar(this, "SkinProcess2", skins, 336);
  lblCurProg = NewLabel(this, "lblCurProg", QStringLiteral("0%"), 28, 306);
  lblCurProg->hide();
  lblAllProg = NewLabel(this, "lblAllProg", QStringLiteral("0%"), 28, 336);
  lblAllProg->hide();

  TntLabel3 = NewLabel(this, "TntLabel3", QStringLiteral("Converted length of the current file:"), 28, 362);
  lblLength = NewLabel(this, "lblLength", QStringLiteral("00:00:00 / 00:00:00"), 0, 362);
  TntLabel2 = NewLabel(this, "TntLabel2", QStringLiteral("Elapsed time:"), 28, 384);
  lblPassed = NewLabel(this, "lblPassed", QStringLiteral("00:00:00"), 0, 384);
  TntLabel5 = NewLabel(this, "TntLabel5", QStringLiteral("/ Remaining time:"), 0, 384);
  lblRemaining = NewLabel(this, "lblRemaining", QStringLiteral("00:00:00"), 0, 384);
  PlaceValueLabels();

  constexpr int kButtonY = kFormHeight - 26 - 14;
  ssSBPause = NewButton(this, "ssSBPause", skins + "btn_pause.png", kFormWidth - 16 - 84 - 12 - 84, kButtonY);
  ssSBContinue = NewButton(this, "ssSBContinue", skins + "btn_continue.png", 0, 0);
  ssSBContinue->setGeometry(ssSBPause->geometry());
  ssSBContinue->hide();
  ssSBStop = NewButton(this, "ssSBStop", skins + "btn_stop.png", kFormWidth - 16 - 84, kButtonY);
  connect(ssSBPause, &TssCustomButton::OnClick, this, &TRipDlg_Form1::SSBPauseClick);
  connect(ssSBContinue, &TssCustomButton::OnClick, this, &TRipDlg_Form1::SSBContinueClick);
  connect(ssSBStop, &TssCustomButton::OnClick, this, &TRipDlg_Form1::SSBStopClick);
  connect(ssSBClose, &TssCustomButton::OnClick, this, &TRipDlg_Form1::SSBStopClick);
}

void TRipDlg_Form1::PlaceValueLabels() {
  constexpr int kGap = 5;
  const auto after = [](QLabel* value, const QLabel* caption) {
    value->adjustSize();
    value->move(caption->x() + caption->width() + kGap, caption->y());
  };
  after(lblPassed, TntLabel2);
  after(TntLabel5, lblPassed);
  after(lblRemaining, TntLabel5);
  after(lblLength, TntLabel3);
}

QSize TRipDlg_Form1::PreviewSize() const {
  const int w = ImagePreview->width();
  const int h = ImagePreview->height();
  // Only an exact 4:3 picture of even sides is asked for as it is; anything else gets the default.
  if (w > 0 && h > 0 && w % 2 == 0 && h % 2 == 0 &&
      static_cast<int64_t>(h) * 4 == static_cast<int64_t>(w) * 3) {
    return {w, h};
  }
  return {kDefaultPreviewWidth, kDefaultPreviewHeight};
}

void TRipDlg_Form1::Configure(const QString& workFolder) {
  setup_ = CISetup{};
  CopyTextToField(setup_.workFolder, sizeof setup_.workFolder, workFolder.toStdString());
  setup_.showPreview = cbPreview->isChecked() ? 1 : 0;
  const QSize preview = PreviewSize();
  setup_.previewWidth = preview.width();
  setup_.previewHeight = preview.height();
  setup_.events = this;
  if (!engine_.IsEmpty()) {
    engine_->Configure(&setup_);
  }
}

void TRipDlg_Form1::AddJob(const CIOutput& output, const CIInput& input) {
  progress_.AddJob(input.clipLength, std::string(FieldText(output.outputFile)));
  expected_.push_back(ExpectOutput(output, &input, 1));
  if (!engine_.IsEmpty()) {
    engine_->AddJob(&output, &input);
  }
}

void TRipDlg_Form1::AddMergeJob(const CIOutput& output, int32_t count, const CIInput* inputs) {
  if (count <= 0 || inputs == nullptr) {
    return;
  }
  double duration = 0.0;
  for (int32_t i = 0; i < count; ++i) {
    duration += inputs[i].clipLength;
  }
  progress_.AddJob(duration, std::string(FieldText(output.outputFile)));
  expected_.push_back(ExpectOutput(output, inputs, count));
  if (!engine_.IsEmpty()) {
    engine_->AddMergeJob(&output, count, inputs);
  }
}

bool TRipDlg_Form1::OpenFolderChecked() const {
  return cbOpenFolder->isChecked();
}

void TRipDlg_Form1::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_ || closed_) {
    return;
  }
  started_ = true;
  ShowJobLabels();
  ShowProgress(progress_.Display(0));
  // Started once the modal loop runs, so that a failure can close the window from inside it.
  QTimer::singleShot(0, this, &TRipDlg_Form1::StartConversion);
}

void TRipDlg_Form1::StartConversion() {
  if (closed_) {
    return;
  }
  const QSize preview = PreviewSize();
  previewBuffer_ = NewBitmap(preview.width(), preview.height());
  conversionLog_.clear();
  if (!engine_.IsEmpty() && engine_->Start()) {
    engineStarted_ = true;
    progress_.Started();
    ProgTimer2.start();
    terminationHandler_ = ui_.app.AddTerminationHandler([this] { StopForTermination(); });
    return;
  }
  ui_.app.GetDialogs().MessageBox(this, QStringLiteral("Fail to start conversion"),
                                  QString::fromLatin1(kCaption), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Error);
  CloseWindow();
}

void TRipDlg_Form1::ShowJobLabels() {
  lblTaskIndex->setText(QString::fromStdString(progress_.TaskIndexText()));
  lblTaskIndex->adjustSize();
  lblBanner->setText(QStringLiteral("Creating File: ") + QString::fromStdString(progress_.CurrentFileName()));
  QPixmap black(ImagePreview->size());
  black.fill(Qt::black);
  ImagePreview->setPixmap(black);
}

void TRipDlg_Form1::ShowProgress(const ProgressView& view) {
  lblCurProg->setText(QStringLiteral("%1%").arg(view.currentPercent));
  SkinProcess1->Setprocess(view.currentPercent);
  lblAllProg->setText(QStringLiteral("%1%").arg(view.overallPercent));
  SkinProcess2->Setprocess(view.overallPercent);
  if (view.elapsed && view.remaining) {
    lblPassed->setText(QString::fromStdString(FormatHms(*view.elapsed)));
    lblRemaining->setText(QString::fromStdString(FormatHms(*view.remaining)));
  }
  lblLength->setText(QString::fromStdString(view.lengthText));
  PlaceValueLabels();
  // The task bar shows the title: the batch's progress is readable with the window behind others.
  setWindowTitle(QStringLiteral("%1% Converting").arg(view.overallPercent));
}

void TRipDlg_Form1::ProgTimer2Timer() {
  if (closed_ || engine_.IsEmpty() || !engineStarted_ || questionOpen_) {
    return;
  }
  double position = 0.0;
  int32_t index = 0;
  const int32_t status = engine_->GetProgress(&position, &index);
  if (closed_) {
    return;
  }
  if (status != kConvertRunning) {
    Finish(status);
    return;
  }
  switch (progress_.Advance(index)) {
    case ProgressState::Step::Ignored:
      return;
    case ProgressState::Step::JobChanged:
      ShowJobLabels();
      break;
    case ProgressState::Step::SameJob:
      break;
  }
  ShowProgress(progress_.Display(position));
}

void TRipDlg_Form1::Finish(int32_t status) {
  finishing_ = true;
  ProgTimer2.stop();
  if (status == kConvertStopped) {
    ShowProgress(progress_.DisplayEnd());
    CloseWindow();
    return;
  }

  // A media engine to probe the outputs with; without one (none registered) they go unchecked
  // rather than all failing.
  PlugPtr<I_FfPreview> probe;
  CreateInto(probe, kFfPreviewName);
  std::vector<std::string> checkLines;
  const std::vector<JobVerdict> verdicts =
      JudgeBatch(*engine_, expected_, probe.IsEmpty() ? nullptr : probe.Get(), &checkLines);
  probe = nullptr;
  for (const std::string& line : checkLines) {
    conversionLog_.append(line.c_str()).append('\n');
  }
  std::vector<bool> succeeded;
  BatchCounts counts;
  counts.total = static_cast<int>(verdicts.size());
  for (const JobVerdict& verdict : verdicts) {
    succeeded.push_back(verdict.succeeded);
    counts.success += verdict.succeeded ? 1 : 0;
  }
  ShowProgress(progress_.DisplayOutcome(succeeded));
  const BatchEnd end =
      DecideBatchEnd({status, isActiveWindow(), cbShutDown->isChecked(), cbOpenFolder->isChecked()});

  if (end.notify) {
    ui_.app.GetNotifier().Notify(QStringLiteral("Conversion finished"),
                                 QStringLiteral("Converting %1 Files Done. Success %2, Failed %3.")
                                     .arg(counts.total)
                                     .arg(counts.success)
                                     .arg(counts.failed()));
  }
  switch (end.action) {
    case BatchEndAction::kCountdown: {
      // A power-off that takes effect never reaches the close, where the log is written otherwise.
      WriteLog();
      QWidget* owner = ui_.app.MainForm() != nullptr ? ui_.app.MainForm() : this;
      TAutoShutDown_Form1 countdown(owner, ui_.app.GetShutdown());
      countdown.exec();
      break;
    }
    case BatchEndAction::kSummary:
      ui_.app.GetDialogs().MessageBox(this, QString::fromStdString(SummaryText(verdicts)),
                                      QString::fromLatin1(kCaption), platform::MsgButtons::Ok,
                                      platform::MsgIcon::Information);
      break;
    case BatchEndAction::kClose:
      break;
  }
  CloseWindow();
}

void TRipDlg_Form1::StopForTermination() {
  // A batch that has ended tells its end as usual; the windows it opens for that return at once.
  if (closed_ || finishing_) {
    return;
  }
  ProgTimer2.stop();
  conversionLog_.append(QStringLiteral("stopped: the program was asked to end (%1)\n")
                            .arg(platform::SignalName(ui_.app.TerminationSignal()))
                            .toUtf8());
  StopEngine();
  CloseWindow();
}

void TRipDlg_Form1::StopEngine() {
  // The engine hands its log over only when polled: polling until it has cleaned up (its temporary
  // file is gone then) puts every line of the stopped job into the log before the close writes it.
  engine_->Stop();
  const QDeadlineTimer bound(kTerminationWaitMs);
  double position = 0.0;
  int32_t index = 0;
  while (engine_->GetProgress(&position, &index) == kConvertRunning && !bound.hasExpired()) {
    QThread::msleep(10);
  }
}

void TRipDlg_Form1::SSBPauseClick() {
  if (closed_) {
    return;
  }
  ssSBContinue->show();
  ssSBPause->hide();
  if (!engine_.IsEmpty()) {
    engine_->Pause();
  }
  progress_.Pause();
}

void TRipDlg_Form1::SSBContinueClick() {
  if (closed_) {
    return;
  }
  ssSBContinue->hide();
  ssSBPause->show();
  if (!engine_.IsEmpty()) {
    engine_->Resume();
  }
  progress_.Continue();
}

void TRipDlg_Form1::SSBStopClick() {
  if (closed_ || questionOpen_) {
    return;
  }
  const bool wasRunning = !ssSBPause->isHidden();
  progress_.BeginStopQuestion();
  if (wasRunning && engineStarted_) {
    engine_->Pause();
  }
  // The question runs its own message loop: the timer must not end the conversion, and with it
  // release the engine, underneath it.
  questionOpen_ = true;
  const platform::MsgAnswer answer = ui_.app.GetDialogs().MessageBox(
      this, QStringLiteral("Are your sure to stop the conversion?"), QString::fromLatin1(kCaption),
      platform::MsgButtons::YesNo, platform::MsgIcon::Information);
  questionOpen_ = false;
  if (closed_) {
    return;
  }
  if (answer == platform::MsgAnswer::Yes) {
    ProgTimer2.stop();
    if (engineStarted_) {
      StopEngine();
    }
    CloseWindow();
    return;
  }
  if (wasRunning && engineStarted_) {
    engine_->Resume();
  }
  progress_.StopDeclined(wasRunning);
}

void TRipDlg_Form1::CbPreviewClick() {
  if (!engine_.IsEmpty()) {
    engine_->TogglePreview();
  }
  ImagePreview->setVisible(cbPreview->isChecked());
}

bool TRipDlg_Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == lblPreview) {
      cbPreview->click();
      return true;
    }
    if (watched == lblShutDown) {
      cbShutDown->click();
      return true;
    }
    if (watched == lblOpenFolder) {
      cbOpenFolder->click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TRipDlg_Form1::OnPreviewFrame(const void* pixels, int32_t size) {
  if (previewBuffer_.isEmpty() || pixels == nullptr || size <= 0) {
    return;
  }
  // A frame larger than the picture asked for is cut, never written past the buffer.
  const qsizetype room = previewBuffer_.size() - kBitmapHeaderSize;
  std::memcpy(previewBuffer_.data() + kBitmapHeaderSize, pixels,
              static_cast<size_t>(std::min<qsizetype>(size, room)));
  ReloadPreviewPicture();
}

void TRipDlg_Form1::ReloadPreviewPicture() {
  const QSize preview = PreviewSize();
  const QImage frame(reinterpret_cast<const uchar*>(previewBuffer_.constData()) + kBitmapHeaderSize,
                     preview.width(), preview.height(), BitmapStride(preview.width()), QImage::Format_BGR888);
  ImagePreview->setPixmap(QPixmap::fromImage(frame));
}

void TRipDlg_Form1::OnLog(const char* text) {
  if (text != nullptr) {
    conversionLog_.append(text);
  }
}

void TRipDlg_Form1::reject() {
  if (closed_) {
    QDialog::reject();
    return;
  }
  SSBStopClick();
}

void TRipDlg_Form1::done(int result) {
  if (!closed_) {
    FormClose();
  }
  QDialog::done(result);
}

void TRipDlg_Form1::CloseWindow() {
  done(QDialog::Accepted);
}

void TRipDlg_Form1::FormClose() {
  closed_ = true;
  if (terminationHandler_ != 0) {
    ui_.app.RemoveTerminationHandler(terminationHandler_);
    terminationHandler_ = 0;
  }
  ProgTimer2.stop();
  engine_ = nullptr;
  previewBuffer_.clear();
  WriteLog();
}

void TRipDlg_Form1::WriteLog() const {
  // The user's copy: the product folder may be read-only, and a failed job's reason must survive.
  const QString path = UserFileToWrite(ui_.context, QString::fromLatin1(kLogFile));
  if (path.isEmpty()) {
    return;
  }
  // Written aside and renamed over the old file, so a failure never leaves half a log.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return;
  }
  if (file.write(conversionLog_) != conversionLog_.size()) {
    file.cancelWriting();
  }
  file.commit();
}
