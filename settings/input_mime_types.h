#pragma once

#include <QStringList>

// The MIME types of the files an edition opens, for the desktop entry's MimeType list: every type the
// MIME database gives a name with one of the edition's input extensions, sorted and without
// repeats, less the text types that share a media extension. "All Files" gives none: a desktop entry offering
// itself for every file would be a nuisance.
QStringList InputMimeTypesFor(int edition);
