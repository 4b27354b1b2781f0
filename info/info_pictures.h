#pragma once

#include <QImage>

// A picture of the product's Skins folder, or the copy built into the program when the product
// lacks it or it cannot be read.
QImage InfoPicture(const char* file);
