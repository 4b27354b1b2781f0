#pragma once

#include <QString>

struct MuiContext;

// The folders the program works in, derived from the context its caller hands in.
//
// The product folder may be read-only and is shared by every user of the machine, so the program
// never writes there. A file it writes at a path relative to the product folder ("Profile/
// preferences.xml", "logs.log", ...) goes to the same relative path under the user's data folder,
// and is read from there first; the product folder's copy, when the product ships one, is the
// default.

// <per-user data folder>/<makerName>/<productName>, created when missing; empty when the data folder
// cannot be found or the context names no product.
QString UserDataFolder(const MuiContext& context);

// Where the program writes its copy of the product-folder file `relative`: under UserDataFolder(),
// with the file's folder created. Empty when there is no user data folder.
QString UserFileToWrite(const MuiContext& context, const QString& relative);
// Where that file is read from: the user's copy when one exists, otherwise the product folder's.
// Empty when neither folder is known.
QString UserFileToRead(const MuiContext& context, const QString& relative);

// UserDataFolder() + "/TextImage", without a trailing separator; empty without a user data folder.
QString TextImageFolder(const MuiContext& context);
// Creates the text-image folder when missing and returns the path of the next temporary text
// picture, ".../TxtImg<n>.bmp", n counting up from 0 for the life of the module.
QString NextTextImagePath(const MuiContext& context);
// Deletes the temporary text pictures and their folder; failures are ignored.
void CleanTextImages(const MuiContext& context);

// The user's documents folder; false when there is none.
bool DocumentsFolder(QString& out);
// <documents>/<makerName>/<subName>, created; empty when there is no documents folder.
QString DefaultWorkFolder(const MuiContext& context, const QString& subName);
