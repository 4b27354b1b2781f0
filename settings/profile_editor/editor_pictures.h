#pragma once

#include <QImage>
#include <QString>

// A picture of the product's Skins folder for the profile editor's windows, or the copy built into the
// program when the product lacks it or it cannot be read.
QImage ProfileEditorPicture(const QString& productFolder, const char* file);
