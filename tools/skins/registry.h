#pragma once

#include <QImage>
#include <functional>
#include <map>
#include <string>

#include "widgets/skin_catalog.h"

// How each picture of the catalogue is drawn, by file name.
using Painter = std::function<QImage(const skin::SkinPicture&)>;
using Registry = std::map<std::string, Painter, std::less<>>;

void AddButtons(Registry& registry);
void AddWindows(Registry& registry);
void AddSmallPictures(Registry& registry);
