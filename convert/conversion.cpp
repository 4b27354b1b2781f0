#include "convert/conversion.h"

#include "app/helpfunction.h"
#include "base/mui_context.h"
#include "convert/progress_window.h"
#include "convert/size_forecast.h"
#include "platform/application.h"
#include "platform/dialogs.h"

ConvertOutcome ConvertCheckedItems(const UiContext& ui, const ConversionRequest& request) {
  platform::Dialogs& dialogs = ui.app.GetDialogs();
  PlanCallbacks callbacks;
  callbacks.mayReplace = [&dialogs](const QString& name) { return AskReplace(dialogs, name); };
  callbacks.tell = [&dialogs](const QString& text) {
    dialogs.MessageBox(nullptr, text, QStringLiteral("Convert"), platform::MsgButtons::Ok,
                       platform::MsgIcon::Warning);
  };
  const ConversionPlan plan = PlanConversion(request, callbacks);

  ConvertOutcome outcome;
  // Nothing to convert: no window to show.
  if (plan.jobs.empty()) {
    return outcome;
  }
  // A batch that cannot fit fails hours later on its last file: say so before it starts.
  const int64_t estimate = ForecastPlanBytes(plan);
  const int64_t available =
      request.freeSpace ? request.freeSpace(request.destination) : AvailableBytes(request.destination);
  if (!EnoughSpace(estimate, available) &&
      dialogs.MessageBox(nullptr, SpaceWarning(estimate, available, request.destination),
                         QStringLiteral("Convert"), platform::MsgButtons::YesNo,
                         platform::MsgIcon::Warning) != platform::MsgAnswer::Yes) {
    return outcome;
  }
  outcome.firstOutputFile = plan.jobs.front().path;

  TRipDlg_Form1 form(ui, ui.app.MainForm());
  form.Configure(ui.context.moduleFolder);
  for (const PlannedJob& job : plan.jobs) {
    if (job.merge) {
      form.AddMergeJob(*job.output, static_cast<int32_t>(job.inputs.size()), job.inputs.data());
    } else {
      form.AddJob(*job.output, job.inputs.front());
    }
  }
  outcome.ran = true;
  form.exec();
  // A program told to end opens nothing more: the session it would open a file manager in is going.
  outcome.openFolder = form.OpenFolderChecked() && !ui.app.Terminating();
  return outcome;
}
