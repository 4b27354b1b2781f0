#pragma once

#include <QString>

#include "app/ui_context.h"
#include "convert/conversion_plan.h"

struct ConvertOutcome {
  bool ran = false;         // the progress window was shown
  bool openFolder = false;  // "Open output folder when conversion completed" was ticked at its close
  QString firstOutputFile;  // output path of the first job; empty when no job was built
};

// Converts the checked items of the list: plans the jobs (PlanConversion, asking the user before
// replacing a file and telling why an output went elsewhere), and only when there are jobs runs the
// progress window modally over the application's main form.
ConvertOutcome ConvertCheckedItems(const UiContext& ui, const ConversionRequest& request);
