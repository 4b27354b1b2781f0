#pragma once

#include <QImage>
#include <QString>

// A picture of the product's Skins folder, or the copy built into the program when the product
// lacks it or it cannot be read.
QImage InfoPicture(const QString& productFolder, const char* file);
