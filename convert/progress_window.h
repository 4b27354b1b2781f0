#pragma once

#include <QByteArray>
#include <QDialog>
#include <QSize>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "app/ui_context.h"
#include "components/i_ff_converter.h"
#include "convert/output_check.h"
#include "convert/progress_state.h"
#include "plug/plug_ptr.h"

class QCheckBox;
class QLabel;
class TSkinProcess;
class TssSkinButton;
class TssSkinForm;

// The conversion log of the last batch, relative to the product folder (written to the user's copy).
inline constexpr char kLogFile[] = "logs.log";

// The modal window that runs one conversion. It owns the "FfConverter" engine for its whole life,
// receives the engine's events, polls it every 200 ms, shows per-job and overall progress, the times
// and an optional live preview, offers Pause, Continue and Stop, and decides at the end between the
// summary, the shutdown countdown and nothing. Every output the engine calls done is probed through an
// "FfPreview" instance before the end is told; one that fails the check counts as failed, with its
// reason in the log and the summary. UI thread only; the engine must call the sink on this
// thread (it does so from GetProgress).
class TRipDlg_Form1 : public QDialog, public FfConvertEvent {
  Q_OBJECT

 public:
  // The preview size the engine is asked for when the preview picture's own size does not fit.
  static constexpr int kDefaultPreviewWidth = 320;
  static constexpr int kDefaultPreviewHeight = 240;

  // Creates the engine (none when it cannot be created: the start then fails) and reads the
  // after-conversion preference. `clock` gives the wall-clock seconds the times are measured in.
  TRipDlg_Form1(const UiContext& ui, QWidget* owner, WallClock clock = SystemWallClock());
  ~TRipDlg_Form1() override;

  // Completes the set-up record (work folder, preview flag and size, this sink) and gives it to the
  // engine.
  void Configure(const QString& workFolder);
  // Appends a job to the list and hands it to the engine.
  void AddJob(const CIOutput& output, const CIInput& input);
  void AddMergeJob(const CIOutput& output, int32_t count, const CIInput* inputs);

  // Whether "Open output folder when conversion completed" is ticked.
  bool OpenFolderChecked() const;

  const ProgressState& Progress() const { return progress_; }
  const CISetup& Setup() const { return setup_; }
  // The preview picture the engine's frames are written into: a 24-bit top-down bitmap file in memory.
  const QByteArray& PreviewBuffer() const { return previewBuffer_; }
  const QByteArray& ConversionLog() const { return conversionLog_; }
  QSize PreviewSize() const;
  bool Closed() const { return closed_; }

  // FfConvertEvent
  void OnPreviewFrame(const void* pixels, int32_t size) override;
  void OnLog(const char* text) override;

 public slots:
  // Every 200 ms while the conversion runs; callable directly, so tests need not wait for the timer.
  void ProgTimer2Timer();
  void SSBPauseClick();
  void SSBContinueClick();
  // Stop and the title-bar close button alike: asks, and stops on Yes.
  void SSBStopClick();
  void CbPreviewClick();

  // Closing by the window manager or Escape asks like Stop while the conversion runs.
  void reject() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  UiContext ui_;

  void BuildControls();
  void StartConversion();
  void ShowJobLabels();
  void ShowProgress(const ProgressView& view);
  void PlaceValueLabels();
  void Finish(int32_t status);
  // The program is asked to end: a conversion under way stops as at Stop, without the question.
  void StopForTermination();
  // Stops the engine and polls it until it has cleaned up (bounded), so that the stopped job's last log
  // lines reach the log.
  void StopEngine();
  void CloseWindow();
  void FormClose();
  void WriteLog() const;
  void ReloadPreviewPicture();

  PlugPtr<I_FfConverter> engine_;
  ProgressState progress_;
  std::vector<ExpectedOutput> expected_;  // what each job's output must hold, in job order
  CISetup setup_{};
  QByteArray previewBuffer_;
  QByteArray conversionLog_;
  QTimer ProgTimer2;
  bool started_ = false;        // shown once: the start is under way or done
  bool engineStarted_ = false;  // the engine's Start succeeded
  bool questionOpen_ = false;   // the stop question is being asked
  bool finishing_ = false;      // the engine has ended; the end of the batch is being told
  bool closed_ = false;
  int terminationHandler_ = 0;  // registered with the application while the engine runs

  TssSkinForm* ssSkinForm1 = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblBanner = nullptr;
  QLabel* ImagePreview = nullptr;
  QLabel* lblTaskIndex = nullptr;
  QCheckBox* cbPreview = nullptr;
  QLabel* lblPreview = nullptr;
  TSkinProcess* SkinProcess1 = nullptr;
  TSkinProcess* SkinProcess2 = nullptr;
  QLabel* lblCurProg = nullptr;
  QLabel* lblAllProg = nullptr;
  QLabel* TntLabel2 = nullptr;
  QLabel* lblPassed = nullptr;
  QLabel* TntLabel5 = nullptr;
  QLabel* lblRemaining = nullptr;
  QLabel* TntLabel3 = nullptr;
  QLabel* lblLength = nullptr;
  QCheckBox* cbShutDown = nullptr;
  QLabel* lblShutDown = nullptr;
  QCheckBox* cbOpenFolder = nullptr;
  QLabel* lblOpenFolder = nullptr;
  TssSkinButton* ssSBPause = nullptr;
  TssSkinButton* ssSBContinue = nullptr;
  TssSkinButton* ssSBStop = nullptr;
  TssSkinButton* ssSBClose = nullptr;
};
