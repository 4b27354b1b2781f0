#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// Line icons drawn on a 24-unit grid, stroked with round caps, scaled into any box.
enum class Glyph {
  Play,
  Pause,
  Stop,
  Previous,
  Next,
  Camera,
  FolderOpen,
  StepFrame,
  PlayTrimmed,
  MarkStart,
  MarkEnd,
  AddFile,
  Download,
  Sparkle,
  Scissors,
  Crop,
  Gear,
  Merge,
  Pencil,
  Remove,
  Trash,
  Info,
  Sliders,
  Layers,
  Folder,
  External,
  Close,
  Minimise,
  Help,
  Convert,
  Note,
  Film,
  Stack,
  Reset,
  Check,
  Plus,
  Font,
};

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour, double stroke = 2.0);

// The product mark: a play triangle of three swept feathers on a kestrel-orange tile.
void DrawMark(QPainter& painter, const QRectF& box, bool tile = true);
