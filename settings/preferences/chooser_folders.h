#pragma once

#include <QString>
#include <functional>

struct MuiContext;

// Where the file and folder choosers open. Plain Qt Core.
namespace prefs {

// What a chooser is for; each purpose keeps the folder the user last chose for it in the user's
// preferences.
enum class ChooserPurpose { kAddFiles, kAddFolder, kWatermarkPicture };

// The folder a chooser opens in: the one last chosen for its purpose while it still is a folder, else
// the user's Videos folder, else home.
QString ChooserStartFolder(const QString& remembered, const QString& videos, const QString& home,
                           const std::function<bool(const QString&)>& isFolder);

// The folder last chosen for `purpose`; empty when none was kept or the preferences cannot be read.
QString RememberedChooserFolder(const MuiContext& context, ChooserPurpose purpose);

// Keeps `folder` as the last chosen for `purpose` in the user's copy of the preferences; false when it
// cannot be written (the choice still counts, it is only not remembered).
bool RememberChooserFolder(const MuiContext& context, ChooserPurpose purpose, const QString& folder);

// ChooserStartFolder with what this user's desktop has: the remembered folder, the XDG Videos folder
// and the home folder.
QString ChooserStart(const MuiContext& context, ChooserPurpose purpose);

}  // namespace prefs
