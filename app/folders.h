#pragma once

#include <QString>

class QWidget;

// The folders the program works in, derived from the published context (CurrentContext()).

// productFolder + "TextImage", without a trailing separator.
QString TextImageFolder();
// Creates the text-image folder when missing and returns the path of the next temporary text
// picture, ".../TxtImg<n>.bmp", n counting up from 0 for the life of the module.
QString NextTextImagePath();
// Deletes the temporary text pictures and their folder; failures are ignored.
void CleanTextImages();

// <per-user data folder>/<makerName>/<productName>, created when missing; empty when the data folder
// cannot be found.
QString UserDataFolder();
// The user's documents folder; false when there is none.
bool DocumentsFolder(QWidget* owner, QString& out);
// A folder preference ("general\<key>" of productFolder + "Profile/preferences.xml"); when unset, the
// default <documents>/<makerName>/<subName>, created. Empty when neither can be found.
QString PreferenceFolder(const QString& key, const QString& subName);
