#pragma once

#include <QString>

class QLabel;
class QWidget;

// The style sheet that dresses the standard controls placed on skinned windows (labels, boxes, edits,
// check boxes, lists, menus, scroll bars) in the colours of the product's artwork. A window applies it
// to itself; the skinned widgets draw from their pictures and are not affected. `skinsFolder` is the
// product's "Skins" folder, for the arrow and tick pictures; without it boxes show no arrow.
QString SkinStyleSheet(const QString& skinsFolder);

// The main window's menu strip: its tool bar shows the main menu on the strip the window picture
// draws behind it.
QString MenuStripStyleSheet();

// A caption on a skinned window, sized to its text: a bold heading, or a dimmed caption that the style
// sheet above colours.
QLabel* MakeSkinLabel(QWidget* parent, const QString& text, int x, int y, bool heading = false);
