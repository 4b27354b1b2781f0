#include "app/helpfunction.h"

#include "base/routines.h"
#include "platform/dialogs.h"

bool BrowseForFolder(platform::Dialogs& dialogs, QWidget* owner, const QString& title, QString& out) {
  const QString chosen = dialogs.BrowseForFolder(owner, title, out);
  if (chosen.isEmpty()) {
    return false;
  }
  out = chosen;
  return true;
}

bool AskReplace(platform::Dialogs& dialogs, const QString& name) {
  return dialogs.MessageBox(nullptr, name + " exists, replace it?", QStringLiteral("Convert"),
                            platform::MsgButtons::YesNo,
                            platform::MsgIcon::Information) == platform::MsgAnswer::Yes;
}

QString ResolveOutputName(platform::Dialogs& dialogs, const QString& folder, const QString& name) {
  return ResolveOutputName(folder, name, [&dialogs](const QString& n) { return AskReplace(dialogs, n); });
}
