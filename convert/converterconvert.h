#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "components/engine_records.h"

class ConverterSettings;
class TVirtualStringTreeHelper;
class QWidget;
class TRipDlg_Form1;

// What the main window's start action hands to a conversion.
struct ConvertBatch {
  TVirtualStringTreeHelper* list = nullptr;
  ConverterSettings* catalogue = nullptr;
  QString destination;  // the text of the destination box
};

struct ConvertOutcome {
  bool ran = false;         // the progress window was shown
  bool openFolder = false;  // "Open output folder when conversion completed" was ticked at its close
  QString firstOutputFile;  // output path of the first job; empty when no job was built
};

// Converts the checked items of the list: creates the destination folder (nothing happens when that
// fails or nothing is checked), fills each item's output record from its profile (the catalogue's
// profile of that number, else the item's own copy), resolves its output path, rescales its watermark
// to the output size, builds one job per item (a merged item is one job of its parts), and runs the
// progress window modally. No job writes over a file the batch reads, whatever the user answers: such
// an output goes to a free numbered name and the user is told why. An output path too long for the
// output record is refused with a message. Without any job no window is shown.
ConvertOutcome ConvertCheckedItems(const ConvertBatch& batch);

// The thin driver of one conversion: opens the progress window, feeds it the jobs and runs it. Calls
// go in this order: OpenProgress, Configure, AddJob / AddMergeJob per job, RunModal; destruction frees
// the window.
class ConverterConvert {
 public:
  ConverterConvert();
  ~ConverterConvert();
  ConverterConvert(const ConverterConvert&) = delete;
  ConverterConvert& operator=(const ConverterConvert&) = delete;

  // Creates the progress window, which creates the engine.
  void OpenProgress(QWidget* owner);
  void Configure(const QString& workFolder);
  // `output` stays the caller's and must live until the window is gone; `input` may be a temporary.
  void AddJob(const CIOutput& output, const CIInput& input);
  void AddMergeJob(const CIOutput& output, int32_t count, const CIInput* inputs);
  // Shows the window modally (the conversion runs while it is shown); whether "Open output folder
  // when conversion completed" was ticked when it closed.
  bool RunModal();

  TRipDlg_Form1* Window() const { return form_.get(); }

 private:
  std::unique_ptr<TRipDlg_Form1> form_;
};
