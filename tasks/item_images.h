#pragma once

#include <QIcon>
#include <QList>
#include <QString>

// The task list's three item images, by image index: audio file, video file, merged item (23 x 16).
// They come from the product folder's Skins when there, else from neutral drawings of the same size.
QList<QIcon> LoadItemImages(const QString& productFolder);
